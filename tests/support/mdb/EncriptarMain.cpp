// encriptar: turns plain values (one a line, UTF-8, standard input) into the
// scrambled, framed lines of a connection file "1000.ini" (CRLF line ends).
//   encriptar FACTOR < plain.txt > 1000.ini
#include "Encriptar.h"

#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: encriptar FACTOR < plain > 1000.ini\n";
        return 2;
    }
    try {
        const int factor = std::stoi(argv[1]);
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            std::cout << pordane::testsupport::encryptValue(line, factor) << "\r\n";
        }
    } catch (const std::exception& e) {
        std::cerr << "encriptar: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
