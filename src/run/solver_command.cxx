#include "run/solver_command.h"

#include <algorithm>

std::vector<std::string> SplitWords(const std::string &text)
{
    std::vector<std::string> words;
    const char *blank = " \t";
    size_t from = text.find_first_not_of(blank);
    while (from != std::string::npos) {
        size_t to = text.find_first_of(blank, from);
        words.push_back(text.substr(from, to == std::string::npos ? to : to - from));
        from = text.find_first_not_of(blank, to);
    }
    return words;
}

bool ClusterTerminal(const std::string &terminal)
{
    size_t slash = terminal.rfind('/');
    return terminal.compare(slash == std::string::npos ? 0 : slash + 1, std::string::npos,
                            "wendle-srun") == 0;
}

SolverCommand MakeSolverCommand(const std::string &solver, const std::vector<std::string> &args,
                                const std::string &memory, const CoreSettings &settings,
                                bool cluster)
{
    SolverCommand cmd;
    int cores = std::max(settings.cores, 1);
    cmd.argv = SplitWords(settings.mpi);
    bool mpp = !cmd.argv.empty();
    if (mpp) {
        if (!cluster)
            cmd.launcher = cmd.argv[0];
        cmd.argv.push_back("-np");
        cmd.argv.push_back(std::to_string(cores));
    }
    cmd.env.push_back("WENDLE_CORES=" + std::to_string(cores));
    cmd.env.push_back("WENDLE_MPP=" + std::to_string(cmd.argv.size()));
    cmd.argv.push_back(solver);
    cmd.argv.insert(cmd.argv.end(), args.begin(), args.end());
    cmd.argv.push_back(memory);
    // The MPP solver's processes are the launcher's -np.
    if (!mpp && cores > 1)
        cmd.argv.push_back("ncpu=" + std::to_string(settings.consistent ? -cores : cores));
    std::vector<std::string> options = SplitWords(settings.options);
    cmd.argv.insert(cmd.argv.end(), options.begin(), options.end());
    return cmd;
}
