// pcgwrite DESCRIPTION OUTPUT: writes the PCG file that a description says.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "PcgDescription.h"
#include "PcgWriter.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: pcgwrite DESCRIPTION OUTPUT.PCG\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "pcgwrite: cannot read " << argv[1] << "\n";
        return 1;
    }
    std::ostringstream text;
    text << in.rdbuf();
    try {
        const std::string file = pcgw::BuildFromDescription(text.str());
        if (!pcgw::WriteFile(argv[2], file)) {
            std::cerr << "pcgwrite: cannot write " << argv[2] << "\n";
            return 1;
        }
    } catch (const pcgw::DescriptionError& error) {
        std::cerr << "pcgwrite: " << argv[1] << ": " << error.what() << "\n";
        return 1;
    }
    return 0;
}
