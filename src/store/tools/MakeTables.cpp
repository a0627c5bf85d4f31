// Build tool: creates the local table files in a data folder from the built-in schema.
//     tallivo_make_tables <build>/Data/
#include "common/AppError.h"
#include "store/TableStore.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <data folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    try {
        tallivo::CreateTableFiles(folder);
    } catch (const tallivo::AppError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
