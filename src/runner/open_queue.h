// OpenQueue: files handed to the job table from outside its dialogs (the
// command line, another wendle, a drop), looked at and added a slice at a
// time while the event loop is idle, so that ten thousand of them never
// hold the window up for long. It knows no widget: its owner adds the rows.
#pragma once
#include <deque>
#include <string>
#include <vector>

#include "runner/job_file.h"

class OpenQueue {
public:
    // Adds one deck or restart dump as a row; false, with why, when it
    // could not be added after all.
    using AddFn = bool (*)(const std::string &path, JobFileKind kind, std::string *why,
                           void *data);
    // What of a batch was not added.
    struct Refused {
        int count = 0;
        std::string first;  // the first file not added
        std::string why;    // and why
    };
    // A batch is through; submit as asked with it.
    using DoneFn = void (*)(const Refused &refused, bool submit, void *data);

    // Each slice ends once it has taken sliceSeconds.
    OpenQueue(AddFn add, DoneFn done, void *data, double sliceSeconds = 0.01);
    ~OpenQueue();
    OpenQueue(const OpenQueue &) = delete;
    OpenQueue &operator=(const OpenQueue &) = delete;

    // Queues a batch after those already queued; the first slice runs on
    // the loop's next idle pass, never within this call.
    void Add(std::vector<std::string> paths, bool submit);
    // Files are still waiting to be added.
    bool Busy() const { return !m_batches.empty(); }

    // The status line's text for what a batch refused: none is "", one
    // names the file and why, more give their count and the first. A name
    // longer than nameMax gives up its middle.
    static std::string RefusedLine(const Refused &refused, size_t nameMax = 255);

private:
    struct Batch {
        std::vector<std::string> paths;
        size_t next = 0;
        bool submit = false;
        Refused refused;
    };
    static void Step(void *data);
    void step();

    AddFn m_add;
    DoneFn m_done;
    void *m_data;
    double m_slice;
    std::deque<Batch> m_batches;
};
