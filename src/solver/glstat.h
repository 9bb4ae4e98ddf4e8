// The energies of a run from the solver's glstat file: one block per output
// time, a "key....... value" line per quantity, such as
//    dt of cycle    200 is controlled by shell      123 of part      1
//
//    time.....................   1.00000E-03
//    time step................   1.00000E-06
//    kinetic energy...........   1.23400E+03
// GlstatWatch follows one job's glstat from check to check like the message
// file and hands back a sample per block; GlstatHealth holds the samples to
// the classic checks of an explicit run.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "solver/file_follow.h"

struct GlstatSample {
    enum Quantity {
        TIME,
        TIME_STEP,
        KINETIC,
        INTERNAL,
        HOURGLASS,
        SLIDING,  // sliding interface energy
        TOTAL,
        EXTERNAL_WORK,
        ENERGY_RATIO,  // total energy / initial energy
        ADDED_MASS,
        MASS_INCREASE,  // percentage increase of the mass
        QUANTITIES
    };
    double value[QUANTITIES] = {};
    unsigned present = 0;  // bit 1 << q for each quantity the block gave

    bool Has(Quantity q) const { return (present >> q) & 1; }
    void Set(Quantity q, double v)
    {
        value[q] = v;
        present |= 1u << q;
    }
};

// A glstat line as read_line keeps it: true with the quantity and its value
// when it is one of the sample's quantities. Keys are matched by their
// words, whatever their case and the dots and blanks around them; the value
// is the number ending the line, which may follow the dots directly.
bool ParseGlstatLine(const char *line, GlstatSample::Quantity *q, double *value);

class GlstatWatch : private FileFollow::Reader {
public:
    // Follows path afresh; with baseline, what the file holds now is an
    // earlier run's and counts for nothing while it stays as it is.
    void Start(const std::string &path, bool baseline);
    const std::string &Path() const { return m_follow.Path(); }
    // Reads at most budget new bytes; *more tells that bytes are still
    // waiting. false when there is no file to read.
    bool Check(size_t budget, bool *more);
    // The samples of the blocks the last look completed, in file order: a
    // block is complete once the next one begins. Only blocks with a time
    // give a sample.
    const std::vector<GlstatSample> &Samples() const { return m_samples; }
    // The last look read the file anew: samples handed back before it count
    // no more.
    bool Restarted() const { return m_restarted; }
    // The block being read, as far as its lines are whole; false when it
    // has no time yet. Once the solver has ended, it is the last block.
    bool Current(GlstatSample *sample) const;

private:
    void Restart() override;
    size_t Take(const char *p, size_t n) override;
    void EndBlock();

    FileFollow m_follow;
    LineJoiner m_lines;
    GlstatSample m_block;
    std::vector<GlstatSample> m_samples;
    bool m_restarted = false;
};

// The checks of a run's energy balance, fed its samples in order. Each kind
// trips once, at the first sample that shows it:
//   HOURGLASS     hourglass energy above 10 % of internal energy, counted
//                 once internal energy is significant: at least 5 % of the
//                 largest energy (kinetic, internal, total, |external work|)
//                 seen so far.
//   ADDED_MASS    the mass added by mass scaling above 5 % of the physical
//                 mass ("percentage increase").
//   ENERGY_RATIO  total energy / initial energy off 1 by more than 10 %,
//                 unless the initial energy (the first total) is near zero:
//                 below 1 % of the largest energy seen so far, as in runs
//                 driven by prescribed motion.
class GlstatHealth {
public:
    enum Kind { HOURGLASS, ADDED_MASS, ENERGY_RATIO, KINDS };
    GlstatHealth() { Reset(); }
    // A new run (or its glstat read anew).
    void Reset();
    // The next sample; returns the kinds that tripped at it, a bit 1 << kind
    // each.
    unsigned Add(const GlstatSample &s);
    bool Tripped(Kind k) const { return m_first[k] >= 0; }
    // Where kind k tripped: the sample's number, counting from 0 in the
    // order they were added (-1 when it has not), and its time.
    long FirstSample(Kind k) const { return m_first[k]; }
    double FirstTime(Kind k) const { return m_time[k]; }
    // What a kind means, for a notice: "hourglass energy above 10 % of
    // internal energy".
    static const char *Describe(Kind k);

private:
    long m_count;
    double m_peak;     // the largest energy seen
    double m_initial;  // the first total energy, -1 before one
    long m_first[KINDS];
    double m_time[KINDS];
};
