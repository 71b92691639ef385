#include "CompressCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    return zurbo::runCompressCommand({argv + 1, argv + argc}, std::cout, std::cerr);
}
