#include <iostream>

#include "cli/convert_command.h"

int main(int argc, char** argv) { return quarnel::RunConvertCommand(argc, argv, std::cout, std::cerr); }
