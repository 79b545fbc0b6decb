// update-sign: signs update control files and prints the sha256 of files.
//
//   update-sign keygen <secret-key-file>        writes the secret key, prints the public key
//   update-sign sign <secret-key-file> <file>   writes <file>.sig (base64 Ed25519 signature)
//   update-sign sha256 <file>...                prints "<hex>  <file>" per file
#include "Signing.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <sys/stat.h>

namespace {

int usage()
{
    std::cerr << "usage: update-sign keygen <secret-key-file>\n"
                 "       update-sign sign <secret-key-file> <control-file>\n"
                 "       update-sign sha256 <file>...\n";
    return 2;
}

bool readFile(const std::string& name, std::string& out)
{
    std::ifstream in(name, std::ios::binary);
    if (!in)
        return false;
    std::stringstream s;
    s << in.rdbuf();
    out = s.str();
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    using namespace pordane::signing;
    if (argc < 3)
        return usage();
    const std::string command = argv[1];
    if (command == "keygen" && argc == 3) {
        const KeyPair k = generateKeyPair();
        if (k.secretKey.empty())
            return 1;
        ::umask(077);
        std::ofstream out(argv[2], std::ios::trunc);
        out << k.secretKey << "\n";
        if (!out) {
            std::cerr << "update-sign: cannot write " << argv[2] << "\n";
            return 1;
        }
        std::cout << k.publicKey << "\n";
        return 0;
    }
    if (command == "sign" && argc == 4) {
        std::string key, message;
        if (!readFile(argv[2], key) || !readFile(argv[3], message)) {
            std::cerr << "update-sign: cannot read the key or the control file\n";
            return 1;
        }
        const auto sig = signDetached(message, key);
        if (!sig) {
            std::cerr << "update-sign: not a secret key: " << argv[2] << "\n";
            return 1;
        }
        const std::string target = std::string(argv[3]) + ".sig";
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out << *sig << "\n";
        if (!out) {
            std::cerr << "update-sign: cannot write " << target << "\n";
            return 1;
        }
        return 0;
    }
    if (command == "sha256") {
        int status = 0;
        for (int i = 2; i < argc; ++i) {
            if (const auto hex = sha256OfFile(argv[i])) {
                std::cout << *hex << "  " << argv[i] << "\n";
            } else {
                std::cerr << "update-sign: cannot read " << argv[i] << "\n";
                status = 1;
            }
        }
        return status;
    }
    return usage();
}
