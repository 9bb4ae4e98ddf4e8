// ProgressCell: the job table's Status cell. A read-only text cell that
// draws, behind its text, a bar filled in proportion to its job's progress.
#pragma once
#include <FL/Fl_Input.H>

class ProgressCell : public Fl_Input {
public:
    ProgressCell(int x, int y, int w, int h, const char *label = nullptr);

    // The filled share of the cell: values above 1 count as 1; a negative
    // value (or NaN) means unknown, and no bar is drawn.
    void fraction(double f);
    // -1 while unknown, else in [0, 1].
    double fraction() const { return m_fraction; }
    // The filled part's colour: the cell's own colour shaded away from the
    // text colour, so the text on it keeps at least the contrast it has on
    // the cell.
    Fl_Color BarColor() const;

protected:
    void draw() override;

private:
    double m_fraction = -1;
};
