// The lines of a "1000.ini" connection file: each read as Windows-1252 text
// and descrambled with the factor (first byte of the input, signed).
#include "catalogue/Desencriptar.h"
#include "platform/base/TextEncoding.h"
#include "FuzzInput.h"

using namespace pordane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int32_t factor = static_cast<int8_t>(data[0]) * 7;
    for (const std::string& line : fuzz::split(fuzz::asText(data + 1, size - 1), '\n')) {
        try {
            (void)catalogue::Desencriptar(platform::windows1252ToUtf8(line), factor);
        } catch (const catalogue::DescrambleError&) {
        }
    }
    return 0;
}
