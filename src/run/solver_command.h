// The solver's part of a job's command line, what follows the terminal's
// "-e": the shared-memory solver run directly (ncpu=N for more than one
// core) or the MPP solver through the site's MPI launcher (-np N).
#pragma once
#include <string>
#include <vector>

// How every job uses cores, as wendle_run.ini sets it.
struct CoreSettings {
    int cores = 1;            // SMP threads or MPI processes of a job
    std::string mpi;          // the MPI launcher command; empty: the SMP solver
    bool consistent = false;  // SMP: results that do not change with the cores
    std::string options;      // further solver arguments
};

struct SolverCommand {
    std::vector<std::string> argv;
    // The launcher's program, which must be found before anything starts;
    // empty when none runs here.
    std::string launcher;
    // "NAME=value" for the job's environment, for a terminal that starts
    // the processes itself (wendle-srun): WENDLE_CORES, the cores, and
    // WENDLE_MPP, the words before the solver (0 for the SMP solver).
    std::vector<std::string> env;
};

// The words of text, split at blanks and tabs.
std::vector<std::string> SplitWords(const std::string &text);

// The terminal hands jobs to Slurm (wendle-srun, by name or path): the
// processes run on the cluster, not here.
bool ClusterTerminal(const std::string &terminal);

// args are the job's own r=/i= arguments in order, memory its "memory="
// argument. With one core, no launcher and no options the result is
// solver, args, memory. On a cluster terminal the launcher is not looked
// for here: the terminal drops it.
SolverCommand MakeSolverCommand(const std::string &solver, const std::vector<std::string> &args,
                                const std::string &memory, const CoreSettings &settings,
                                bool cluster);
