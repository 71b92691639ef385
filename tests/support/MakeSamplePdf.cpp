// Writes a generated sample PDF (text and photographs) for demos and benchmarks.
#include "PdfFixtures.h"

#include <cstdlib>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: zurbo-make-sample OUTPUT.pdf [PAGES]\n";
        return 2;
    }
    const int pages = argc == 3 ? std::atoi(argv[2]) : 3;
    zurbo::testing::writeFixturePdf(argv[1],
                                    zurbo::testing::imageHeavyDocument(pages > 0 ? pages : 1));
    return 0;
}
