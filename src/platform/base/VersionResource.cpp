#include "platform/base/VersionResource.h"

#include "platform/base/BinaryFile.h"

#include <cstring>
#include <vector>

namespace pordane::platform {

namespace {

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// IMAGE_SECTION_HEADER: Name[8] VirtualSize VirtualAddress SizeOfRawData PointerToRawData ...
std::optional<uint64_t> rvaToOffset(const std::vector<Section>& sections, uint32_t rva, uint32_t length)
{
    for (const auto& s : sections) {
        const uint64_t start = s.virtualAddress;
        const uint64_t end = start + s.rawSize;
        if (rva >= start && uint64_t(rva) + length <= end)
            return uint64_t(s.rawOffset) + (rva - start);
    }
    return std::nullopt;
}

// IMAGE_RESOURCE_DIRECTORY: 12 bytes, NumberOfNamedEntries, NumberOfIdEntries,
// then 8-byte entries (Name|Id, OffsetToData; high bit: a subdirectory).
// The offset of the entry of `id` (or the first entry when `id` is negative).
std::optional<uint32_t> resourceEntry(BinaryFile& f, uint64_t base, uint64_t limit, uint32_t directory, long id, bool wantDirectory)
{
    const auto named = f.u16(base + directory + 12);
    const auto ids = f.u16(base + directory + 14);
    if (!named || !ids)
        return std::nullopt;
    const uint32_t total = uint32_t(*named) + *ids;
    for (uint32_t i = 0; i < total; ++i) {
        const uint64_t entry = base + directory + 16 + uint64_t(i) * 8;
        if (entry + 8 > limit)
            return std::nullopt;
        const auto name = f.u32(entry);
        const auto data = f.u32(entry + 4);
        if (!name || !data)
            return std::nullopt;
        if (id >= 0 && ((*name & 0x80000000u) || *name != uint32_t(id)))
            continue;
        if (bool(*data & 0x80000000u) != wantDirectory)
            return std::nullopt;
        const uint32_t offset = *data & 0x7FFFFFFFu;
        if (base + offset + 16 > limit)
            return std::nullopt;
        return offset;
    }
    return std::nullopt;
}

} // namespace

std::optional<FileVersion> readPeFileVersion(const std::filesystem::path& file)
{
    BinaryFile f(file);
    if (f.bytes(0, 2) != std::optional<std::string>("MZ"))
        return std::nullopt;
    const auto peOffset = f.u32(0x3C);
    if (!peOffset || f.bytes(*peOffset, 4) != std::optional<std::string>(std::string("PE\0\0", 4)))
        return std::nullopt;
    // COFF header: Machine NumberOfSections TimeDateStamp PointerToSymbolTable
    // NumberOfSymbols SizeOfOptionalHeader Characteristics.
    const uint64_t coff = uint64_t(*peOffset) + 4;
    const auto sectionCount = f.u16(coff + 2);
    const auto optionalSize = f.u16(coff + 16);
    const uint64_t optional = coff + 20;
    const auto magic = f.u16(optional);
    if (!sectionCount || !optionalSize || !magic)
        return std::nullopt;
    // PE32 (0x10B): NumberOfRvaAndSizes at 92, directories at 96; PE32+ (0x20B): 108, 112.
    const bool plus = *magic == 0x20B;
    if (!plus && *magic != 0x10B)
        return std::nullopt;
    const auto directoryCount = f.u32(optional + (plus ? 108 : 92));
    const uint64_t resourceDir = optional + (plus ? 112 : 96) + 2 * 8;
    if (!directoryCount || *directoryCount < 3 || resourceDir + 8 > optional + *optionalSize)
        return std::nullopt;
    const auto resourceRva = f.u32(resourceDir);
    const auto resourceSize = f.u32(resourceDir + 4);
    if (!resourceRva || !resourceSize || *resourceRva == 0)
        return std::nullopt;

    std::vector<Section> sections;
    const uint64_t table = optional + *optionalSize;
    for (uint32_t i = 0; i < *sectionCount; ++i) {
        const uint64_t at = table + uint64_t(i) * 40;
        const auto vsize = f.u32(at + 8), va = f.u32(at + 12), raw = f.u32(at + 16), ptr = f.u32(at + 20);
        if (!vsize || !va || !raw || !ptr)
            return std::nullopt;
        sections.push_back({*va, *vsize, *raw, *ptr});
    }
    const auto base = rvaToOffset(sections, *resourceRva, 16);
    if (!base)
        return std::nullopt;
    uint64_t limit = *base + *resourceSize;
    if (limit > f.size())
        limit = f.size();

    // Type RT_VERSION (16), then the first name, then the first language.
    const auto byName = resourceEntry(f, *base, limit, 0, 16, true);
    const auto byLanguage = byName ? resourceEntry(f, *base, limit, *byName, -1, true) : std::nullopt;
    const auto dataEntry = byLanguage ? resourceEntry(f, *base, limit, *byLanguage, -1, false) : std::nullopt;
    if (!dataEntry)
        return std::nullopt;
    // IMAGE_RESOURCE_DATA_ENTRY: OffsetToData (an RVA), Size, CodePage, Reserved.
    const auto dataRva = f.u32(*base + *dataEntry);
    const auto dataSize = f.u32(*base + *dataEntry + 4);
    if (!dataRva || !dataSize)
        return std::nullopt;
    // VS_VERSIONINFO: wLength wValueLength wType "VS_VERSION_INFO\0" (UTF-16),
    // padding to 32 bits, then VS_FIXEDFILEINFO (52 bytes, 0xFEEF04BD first).
    constexpr uint32_t fixedAt = 40, fixedSize = 52;
    if (*dataSize < fixedAt + fixedSize)
        return std::nullopt;
    const auto info = rvaToOffset(sections, *dataRva, fixedAt + fixedSize);
    if (!info)
        return std::nullopt;
    const auto valueLength = f.u16(*info + 2);
    const auto key = f.bytes(*info + 6, 32);
    static const char16_t expected[] = u"VS_VERSION_INFO";
    std::string wanted;
    for (char16_t c : expected) {
        wanted += static_cast<char>(c & 0xFF);
        wanted += static_cast<char>(c >> 8);
    }
    if (!valueLength || *valueLength < fixedSize || !key || *key != wanted)
        return std::nullopt;
    const auto signature = f.u32(*info + fixedAt);
    const auto ms = f.u32(*info + fixedAt + 8);
    const auto ls = f.u32(*info + fixedAt + 12);
    if (signature != 0xFEEF04BDu || !ms || !ls)
        return std::nullopt;
    return FileVersion{*ms, *ls};
}

std::optional<FileVersion> readElfVersionNote(const std::filesystem::path& file)
{
    BinaryFile f(file);
    const auto ident = f.bytes(0, 16);
    if (!ident || ident->compare(0, 4, "\x7F" "ELF") != 0)
        return std::nullopt;
    const bool is64 = (*ident)[4] == 2;
    const bool big = (*ident)[5] == 2;
    if (!is64 && (*ident)[4] != 1)
        return std::nullopt;
    // An address-sized field: 8 bytes at `at64` in ELF64, 4 at `at32` in ELF32.
    bool ok = true;
    const auto natural = [&](uint64_t at64, uint64_t at32) -> uint64_t {
        if (is64) {
            const auto v = f.u64(at64, big);
            ok = ok && v.has_value();
            return v.value_or(0);
        }
        const auto v = f.u32(at32, big);
        ok = ok && v.has_value();
        return v.value_or(0);
    };
    const uint64_t phoff = natural(0x20, 0x1C);
    const auto phentsize = f.u16(is64 ? 0x36 : 0x2A, big);
    const auto phnum = f.u16(is64 ? 0x38 : 0x2C, big);
    if (!ok || phoff == 0 || !phentsize || !phnum || *phentsize < (is64 ? 56 : 32))
        return std::nullopt;
    constexpr uint32_t PtNote = 4;
    constexpr uint64_t MaxNoteSegment = 1 << 20;
    for (uint32_t i = 0; i < *phnum; ++i) {
        const uint64_t ph = phoff + uint64_t(i) * *phentsize;
        const auto type = f.u32(ph, big);
        if (!type)
            return std::nullopt;
        if (*type != PtNote)
            continue;
        const uint64_t offset = natural(ph + 8, ph + 4);
        const uint64_t size = natural(ph + 32, ph + 16);
        const uint64_t align = natural(ph + 48, ph + 28);
        if (!ok || size > MaxNoteSegment)
            return std::nullopt;
        const auto segment = f.bytes(offset, size);
        if (!segment)
            continue;
        // Each note: namesz descsz type, the name and the descriptor, each
        // padded to the segment's alignment (4, or 8 for 64-bit GNU notes).
        const uint64_t pad = align == 8 ? 8 : 4;
        const auto padded = [pad](uint64_t n) { return (n + pad - 1) / pad * pad; };
        const auto word = [&](uint64_t at) {
            uint32_t v = 0;
            for (int k = 0; k < 4; ++k)
                v |= uint32_t(static_cast<unsigned char>((*segment)[at + k])) << (big ? 8 * (3 - k) : 8 * k);
            return v;
        };
        uint64_t at = 0;
        while (at + 12 <= segment->size()) {
            const uint64_t namesz = word(at), descsz = word(at + 4);
            const uint32_t noteType = word(at + 8);
            const uint64_t name = at + 12;
            const uint64_t desc = name + padded(namesz);
            if (desc > segment->size() || descsz > segment->size() - desc)
                break;
            if (noteType == VersionNoteType && descsz == 8 && namesz == 8
                && std::memcmp(segment->data() + name, VersionNoteOwner, 8) == 0)
                return FileVersion{word(desc), word(desc + 4)};
            at = desc + padded(descsz);
        }
    }
    return std::nullopt;
}

std::optional<FileVersion> readFileVersion(const std::filesystem::path& file)
{
    if (auto v = readPeFileVersion(file))
        return v;
    return readElfVersionNote(file);
}

} // namespace pordane::platform
