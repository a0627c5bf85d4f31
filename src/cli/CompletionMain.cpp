// tallivo-cli-completion: writes tallivo-cli's bash completion to the file named by
// its argument; run by the build.
#include "cli/Completion.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tallivo-cli-completion OUTPUT\n";
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << tallivo::cli::BashCompletion();
    out.close();
    if (!out) {
        std::cerr << "tallivo-cli-completion: cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
