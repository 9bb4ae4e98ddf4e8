// 1,000 queued jobs in the job table: filling and drawing an Fl_Fltkgrid as
// the main window fills a new row, against an Fl_Table_Row holding the same
// texts; then DeleteRow(1) with its redraw.
//
// Usage: bench_grid [--runs N]; prints "grid_fill_ms", "table_fill_ms" and
// "grid_delete_ms" medians.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <cstdio>
#include <string>
#include <vector>

#include "grid/fltk_grid.h"
#include "measure.h"
#include "text_table.h"

namespace {

enum { ROWS = 1000, WIN_W = 813, WIN_H = 385, TABLE_Y = 133, TABLE_H = WIN_H - TABLE_Y };

// The main window's column shares of its width.
const double kShares[TextTable::COLS] = {0.115, 0.167, 0.285, 0.083,
                                         0.083, 0.083, 0.083, 0.083};

// The decks' names, one a row.
std::vector<std::string> deck_names()
{
    std::vector<std::string> v;
    char name[32];
    for (int i = 0; i < ROWS; i++) {
        snprintf(name, sizeof name, "plate%04d", i + 1);
        v.push_back(name);
    }
    return v;
}

const char kFolder[] = "/home/user/wendle-demo/";

// A new job's row as the main window fills it: precision, the file's
// name, folder, size and type, MB and Sec, "Queued" on green.
void fill_grid_row(Fl_Fltkgrid *g, int r, const std::string &name)
{
    g->SetChoiceValue(r, 0);
    g->SetMatrixText(r, 1, name.c_str());
    g->SetMatrixText(r, 2, kFolder);
    g->SetMatrixText(r, 3, "12K");
    g->SetMatrixText(r, 4, "k");
    g->SetMatrixText(r, 5, "256");
    g->SetMatrixText(r, 6, "2");
    g->SetMatrixText(r, 7, "Queued");
    g->SetMatrixColor(r, 7, 2);
}

void fill_table_row(TextTable *t, int r, const std::string &name)
{
    t->SetText(r, 0, "Single");
    t->SetText(r, 1, name.c_str());
    t->SetText(r, 2, kFolder);
    t->SetText(r, 3, "12K");
    t->SetText(r, 4, "k");
    t->SetText(r, 5, "256");
    t->SetText(r, 6, "2");
    t->SetText(r, 7, "Queued");
    t->SetStatusColor(r, 2);
}

// Fills and draws the grid; then deletes row 1 and draws again.
bool run_grid(const std::vector<std::string> &names, double *fill, double *del)
{
    double t0 = bench::now_ms();
    Fl_Window *win = new Fl_Window(100, 100, WIN_W, WIN_H, "grid");
    Fl_Fltkgrid *g = new Fl_Fltkgrid(0, TABLE_Y, WIN_W, TABLE_H);
    win->end();
    g->SetCols(TextTable::COLS);
    for (int c = 0; c < TextTable::COLS; c++)
        g->SetColWidth(c, (int)(WIN_W * kShares[c]));
    for (const std::string &name : names)
        fill_grid_row(g, g->AppendRow(), name);
    bool ok = bench::show_until_drawn(win);
    *fill = bench::now_ms() - t0;

    t0 = bench::now_ms();
    ok = ok && g->DeleteRow(1) == 1;
    bench::flush_to_server();
    *del = bench::now_ms() - t0;
    delete win;
    bench::flush_to_server();
    return ok;
}

bool run_table(const std::vector<std::string> &names, double *fill)
{
    double t0 = bench::now_ms();
    Fl_Window *win = new Fl_Window(100, 100, WIN_W, WIN_H, "table");
    TextTable *t = new TextTable(0, TABLE_Y, WIN_W, TABLE_H);
    win->end();
    for (int c = 0; c < TextTable::COLS; c++)
        t->col_width(c, (int)(WIN_W * kShares[c]));
    for (const std::string &name : names)
        fill_table_row(t, t->AppendRow(), name);
    bool ok = bench::show_until_drawn(win);
    *fill = bench::now_ms() - t0;
    delete win;
    bench::flush_to_server();
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    int runs = bench::runs_arg(argc, argv, 9);
    bench::watch_exposures();
    std::vector<std::string> names = deck_names();
    std::vector<double> grid, table, del;
    // One round first warms the toolkit (fonts, pixmaps) for both sides.
    for (int r = 0; r <= runs; r++) {
        double g, t, d;
        if (!run_grid(names, &g, &d) || !run_table(names, &t))
            return 1;
        if (r == 0)
            continue;
        grid.push_back(g);
        table.push_back(t);
        del.push_back(d);
    }
    bench::report("grid_fill_ms", bench::median(grid));
    bench::report("table_fill_ms", bench::median(table));
    bench::report("grid_delete_ms", bench::median(del));
    return 0;
}
