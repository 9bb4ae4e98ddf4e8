// The payload of a job-table row: what a restart job needs to run.
// The grid owns it once handed over with SetRowData.
#pragma once

enum { ROW_PATH_SIZE = 256 };

struct row_data {
    int nType;                     // 1: dump alone; 2: dump with a new input deck
    char szK[ROW_PATH_SIZE];       // the new input deck (nType 2 only)
    char szD3dump[ROW_PATH_SIZE];  // the restart dump
};
