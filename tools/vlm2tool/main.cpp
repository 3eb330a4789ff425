#include "Tool.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = vlm::tool::RunTool(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
