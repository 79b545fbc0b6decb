// Jet 4 file layout written here (4096-byte pages, little-endian):
//   0 database header   1 usage-map rows   2 MSysObjects definition
//   3.. MSysObjects data, then per user table: its definition, its data pages.
// libmdb reads MSysObjects from page 2 and follows the usage maps to the data.
#include "support/mdb/JetWriter.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace pordane::testsupport {

namespace {

constexpr std::size_t PageSize = 4096;
constexpr std::size_t MaxRowsPerPage = 255;  // row numbers are one byte in page/row pointers
constexpr std::size_t DataPageHeader = 14;   // "01 01", free space, owner, 0, row count

// Column types of the Jet 4 column descriptor.
constexpr std::uint8_t TypeInt = 0x03;
constexpr std::uint8_t TypeLong = 0x04;
constexpr std::uint8_t TypeText = 0x0A;
constexpr std::uint8_t TypeOle = 0x0B;

constexpr std::uint8_t FlagFixed = 0x01;
constexpr std::uint8_t FlagNullable = 0x02;

using Page = std::array<std::uint8_t, PageSize>;
using Bytes = std::vector<std::uint8_t>;

void put16(std::uint8_t* at, std::uint32_t v)
{
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(std::uint8_t* at, std::uint32_t v)
{
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
}

void append16(Bytes& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void append32(Bytes& out, std::uint32_t v)
{
    append16(out, v & 0xFFFF);
    append16(out, v >> 16);
}

// A column as stored: the public TEXT/LONG plus the catalog's own INT and OLE.
struct StoredColumn {
    std::string name;
    std::uint8_t type = TypeText;
    std::uint16_t size = 0;  // bytes; 0 for OLE
    bool fixed() const { return type == TypeInt || type == TypeLong; }
};

struct StoredTable {
    std::string name;
    bool system = false;
    std::vector<StoredColumn> columns;
    std::vector<std::vector<JetValue>> rows;

    std::uint32_t definitionPage = 0;
    std::uint32_t firstDataPage = 0;
    std::vector<Bytes> dataPages;  // encoded rows per page, in order
};

// Text values: "FF FE" + one byte per character when every character fits in
// a byte (libmdb's decoder toggles modes on any 00 byte, so only the all-Latin-1
// case is compressed), otherwise plain UCS-2LE.
Bytes encodeText(const std::u16string& text)
{
    const bool compressible = std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= 1 && c <= 0xFF; });
    Bytes out;
    if (compressible && text.size() > 2) {
        out = {0xFF, 0xFE};
        for (char16_t c : text)
            out.push_back(static_cast<std::uint8_t>(c));
        return out;
    }
    if (!text.empty() && text.front() == 0xFEFF)
        throw std::invalid_argument("a text starting with U+FEFF would read as compressed");
    for (char16_t c : text)
        append16(out, c);
    return out;
}

// Jet 4 row: column count, fixed area, variable data, end offset, variable
// offsets in reverse order, variable count, NULL mask (bit set = NOT NULL).
Bytes encodeRow(const StoredTable& table, const std::vector<JetValue>& row)
{
    std::vector<std::size_t> fixedOffset(table.columns.size(), 0);
    std::size_t fixedLength = 0;
    std::size_t varCount = 0;
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (table.columns[i].fixed()) {
            fixedOffset[i] = fixedLength;
            fixedLength += table.columns[i].size;
        } else {
            ++varCount;
        }
    }

    Bytes out;
    append16(out, static_cast<std::uint32_t>(table.columns.size()));
    out.resize(2 + fixedLength, 0);
    std::vector<std::uint16_t> varOffsets;
    std::vector<std::uint8_t> nullMask((table.columns.size() + 7) / 8, 0);

    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        const StoredColumn& col = table.columns[i];
        const JetValue& value = row[i];
        const bool present = !std::holds_alternative<std::monostate>(value);
        if (present)
            nullMask[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
        if (col.fixed()) {
            if (present) {
                const auto v = static_cast<std::uint32_t>(std::get<std::int32_t>(value));
                if (col.type == TypeInt)
                    put16(out.data() + 2 + fixedOffset[i], v);
                else
                    put32(out.data() + 2 + fixedOffset[i], v);
            }
            continue;
        }
        varOffsets.push_back(static_cast<std::uint16_t>(out.size()));
        if (present && col.type == TypeText) {
            const Bytes text = encodeText(utf8ToUtf16(std::get<std::string>(value)));
            out.insert(out.end(), text.begin(), text.end());
        }
    }
    append16(out, static_cast<std::uint32_t>(out.size()));  // end of variable data
    for (auto it = varOffsets.rbegin(); it != varOffsets.rend(); ++it)
        append16(out, *it);
    append16(out, static_cast<std::uint32_t>(varCount));
    out.insert(out.end(), nullMask.begin(), nullMask.end());
    return out;
}

void packDataPages(StoredTable& table)
{
    Bytes page;
    std::size_t rowsInPage = 0;
    std::size_t used = DataPageHeader;
    auto flush = [&] {
        table.dataPages.push_back(page);
        page.clear();
        rowsInPage = 0;
        used = DataPageHeader;
    };
    // Each stored page is: u16 row count, then (u16 length + row bytes) per row;
    // the layout into the real page happens in writeDataPage.
    for (const auto& row : table.rows) {
        Bytes encoded = encodeRow(table, row);
        if (encoded.size() + 2 + DataPageHeader > PageSize)
            throw std::invalid_argument("a row of table " + table.name + " does not fit in one page");
        if (rowsInPage == MaxRowsPerPage || used + encoded.size() + 2 > PageSize)
            flush();
        append16(page, static_cast<std::uint32_t>(encoded.size()));
        page.insert(page.end(), encoded.begin(), encoded.end());
        ++rowsInPage;
        used += encoded.size() + 2;
    }
    if (rowsInPage > 0 || table.dataPages.empty())
        flush();
}

// Data page: "01 01", u16 free space, u32 owning definition page, u32 0,
// u16 row count at 0x0C, u16 row offsets from 0x0E; rows packed from the end.
Page writeDataPage(std::uint32_t owner, const std::vector<Bytes>& rows)
{
    Page page{};
    page[0] = 0x01;
    page[1] = 0x01;
    put32(&page[4], owner);
    put16(&page[0x0C], static_cast<std::uint32_t>(rows.size()));
    std::size_t end = PageSize;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::size_t start = end - rows[r].size();
        std::memcpy(&page[start], rows[r].data(), rows[r].size());
        put16(&page[0x0E + 2 * r], static_cast<std::uint32_t>(start));
        end = start;
    }
    put16(&page[2], static_cast<std::uint32_t>(end - (DataPageHeader + 2 * rows.size())));
    return page;
}

std::vector<Bytes> splitRows(const Bytes& packed)
{
    std::vector<Bytes> rows;
    std::size_t at = 0;
    while (at < packed.size()) {
        const std::size_t len = packed[at] | (packed[at + 1] << 8);
        rows.emplace_back(packed.begin() + static_cast<std::ptrdiff_t>(at + 2),
                          packed.begin() + static_cast<std::ptrdiff_t>(at + 2 + len));
        at += 2 + len;
    }
    return rows;
}

// Type-0 usage map: 00, u32 first page, bitmap (bit i = page first + i).
Bytes usageMap(std::uint32_t firstPage, std::size_t pageCount)
{
    Bytes map{0x00};
    append32(map, firstPage);
    Bytes bits(std::max<std::size_t>(1, (pageCount + 7) / 8), 0);
    for (std::size_t i = 0; i < pageCount; ++i)
        bits[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
    map.insert(map.end(), bits.begin(), bits.end());
    return map;
}

// Table definition page; the usage and free-space maps are rows 2n and 2n+1
// of page 1, n being the table's position.
Page writeDefinitionPage(const StoredTable& table, std::uint32_t mapRow)
{
    Page page{};
    page[0] = 0x02;
    page[1] = 0x01;
    put32(&page[16], static_cast<std::uint32_t>(table.rows.size()));
    page[40] = table.system ? 0x53 : 0x4E;
    const auto columns = static_cast<std::uint32_t>(table.columns.size());
    const auto varColumns = static_cast<std::uint32_t>(
        std::count_if(table.columns.begin(), table.columns.end(), [](const StoredColumn& c) { return !c.fixed(); }));
    put16(&page[41], columns);
    put16(&page[43], varColumns);
    put16(&page[45], columns);
    put32(&page[55], (1u << 8) | mapRow);
    put32(&page[59], (1u << 8) | (mapRow + 1));

    // 25-byte column descriptors.
    std::size_t at = 63;
    std::uint32_t fixedOffset = 0;
    std::uint32_t varIndex = 0;
    for (std::uint32_t i = 0; i < columns; ++i) {
        const StoredColumn& col = table.columns[i];
        std::uint8_t* d = &page[at];
        d[0] = col.type;
        d[5] = static_cast<std::uint8_t>(i);
        put16(d + 9, i);
        if (col.type == TypeText) {
            put16(d + 11, 0x0409);
            d[16] = 0x01;  // compressed unicode allowed
        }
        if (col.fixed()) {
            d[15] = FlagFixed | FlagNullable;
            put16(d + 21, fixedOffset);
            fixedOffset += col.size;
        } else {
            d[15] = FlagNullable;
            put16(d + 7, varIndex++);
        }
        put16(d + 23, col.size);
        at += 25;
    }
    // Column names: u16 byte length + UCS-2LE.
    for (const StoredColumn& col : table.columns) {
        const std::u16string name = utf8ToUtf16(col.name);
        if (at + 2 + 2 * name.size() > PageSize)
            throw std::invalid_argument("the definition of table " + table.name + " does not fit in one page");
        put16(&page[at], static_cast<std::uint32_t>(2 * name.size()));
        at += 2;
        for (char16_t c : name) {
            put16(&page[at], c);
            at += 2;
        }
    }
    put32(&page[8], static_cast<std::uint32_t>(at - 8));
    return page;
}

// RC4, used by Jet 4 to obscure part of the database header.
void rc4(const std::array<std::uint8_t, 4>& key, std::uint8_t* data, std::size_t length)
{
    std::array<std::uint8_t, 256> s{};
    for (std::size_t i = 0; i < 256; ++i)
        s[i] = static_cast<std::uint8_t>(i);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % key.size()]);
        std::swap(s[i], s[j]);
    }
    std::uint8_t a = 0;
    std::uint8_t b = 0;
    for (std::size_t n = 0; n < length; ++n) {
        a = static_cast<std::uint8_t>(a + 1);
        b = static_cast<std::uint8_t>(b + s[a]);
        std::swap(s[a], s[b]);
        data[n] ^= s[static_cast<std::uint8_t>(s[a] + s[b])];
    }
}

// Header: 00 01, "Standard Jet DB", version 1 (Jet 4) at 0x14, then 128 bytes
// RC4-encrypted with key C7 DA 39 6B holding the code page (0x3C), a database
// key of 0 (0x3E: no page encryption) and the sort order (0x6E).
Page writeHeaderPage()
{
    Page page{};
    page[1] = 0x01;
    std::memcpy(&page[4], "Standard Jet DB", 16);
    page[0x14] = 0x01;
    put16(&page[0x3C], 1252);
    put32(&page[0x3E], 0);
    put16(&page[0x6E], 0x0409);
    rc4({0xC7, 0xDA, 0x39, 0x6B}, &page[0x18], 128);
    return page;
}

StoredTable storedFrom(const JetTable& table)
{
    StoredTable stored;
    stored.name = table.name();
    for (const JetColumn& col : table.columns()) {
        if (col.type == JetType::Long)
            stored.columns.push_back({col.name, TypeLong, 4});
        else
            stored.columns.push_back({col.name, TypeText, static_cast<std::uint16_t>(2 * col.textChars)});
    }
    for (const auto& row : table.rows()) {
        std::vector<JetValue> values;
        for (const JetCell& cell : row)
            values.push_back(cell.value());
        stored.rows.push_back(std::move(values));
    }
    return stored;
}

} // namespace

std::u16string utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    std::size_t i = 0;
    auto bad = [] { throw std::invalid_argument("invalid UTF-8"); };
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = 0;
        std::size_t extra = 0;
        if (b0 < 0x80) {
            cp = b0;
        } else if ((b0 & 0xE0) == 0xC0) {
            cp = b0 & 0x1F;
            extra = 1;
        } else if ((b0 & 0xF0) == 0xE0) {
            cp = b0 & 0x0F;
            extra = 2;
        } else if ((b0 & 0xF8) == 0xF0) {
            cp = b0 & 0x07;
            extra = 3;
        } else {
            bad();
        }
        if (i + extra >= text.size())
            bad();
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80)
                bad();
            cp = (cp << 6) | (b & 0x3F);
        }
        static constexpr std::uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            bad();
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += 1 + extra;
    }
    return out;
}

JetTable::JetTable(std::string name, std::vector<JetColumn> columns)
    : m_name(std::move(name)), m_columns(std::move(columns))
{
    if (m_columns.empty() || m_columns.size() > 255)
        throw std::invalid_argument("a table needs 1 to 255 columns");
    for (const JetColumn& col : m_columns) {
        if (col.type == JetType::Text && (col.textChars < 1 || col.textChars > 255))
            throw std::invalid_argument("TEXT columns hold 1 to 255 characters: " + col.name);
    }
}

void JetTable::addRow(std::vector<JetCell> row)
{
    if (row.size() != m_columns.size())
        throw std::invalid_argument("row of " + std::to_string(row.size()) + " values for " +
                                    std::to_string(m_columns.size()) + " columns");
    for (std::size_t i = 0; i < row.size(); ++i) {
        const JetValue& v = row[i].value();
        if (std::holds_alternative<std::monostate>(v))
            continue;
        const bool isText = std::holds_alternative<std::string>(v);
        if (isText != (m_columns[i].type == JetType::Text))
            throw std::invalid_argument("value of the wrong type for column " + m_columns[i].name);
        if (isText) {
            const std::u16string units = utf8ToUtf16(std::get<std::string>(v));
            if (units.size() > static_cast<std::size_t>(m_columns[i].textChars))
                throw std::invalid_argument("text too long for column " + m_columns[i].name);
            if (units.find(u'\0') != std::u16string::npos)
                throw std::invalid_argument("text with a NUL character in column " + m_columns[i].name);
        }
    }
    m_rows.push_back(std::move(row));
}

void writeJet4(const std::filesystem::path& path, const std::vector<JetTable>& tables)
{
    // MSysObjects: the columns libmdb binds by name (Id, Name, Type, Flags, LvProp).
    StoredTable catalog;
    catalog.name = "MSysObjects";
    catalog.system = true;
    catalog.columns = {{"Id", TypeLong, 4}, {"Name", TypeText, 2 * 128}, {"Type", TypeInt, 2},
                       {"Flags", TypeLong, 4}, {"LvProp", TypeOle, 0}};

    std::vector<StoredTable> user;
    for (const JetTable& t : tables)
        user.push_back(storedFrom(t));
    for (StoredTable& t : user)
        packDataPages(t);

    // Page numbers: the catalog's data follows its definition on page 2.
    const std::size_t catalogRows = 1 + user.size();
    const std::size_t catalogPages = (catalogRows + MaxRowsPerPage - 1) / MaxRowsPerPage;
    catalog.definitionPage = 2;
    catalog.firstDataPage = 3;
    std::uint32_t next = static_cast<std::uint32_t>(3 + catalogPages);
    for (StoredTable& t : user) {
        t.definitionPage = next;
        t.firstDataPage = next + 1;
        next += static_cast<std::uint32_t>(1 + t.dataPages.size());
    }

    // Catalog rows: Id is the definition page; Flags 0x80000002 marks a system table.
    catalog.rows.push_back({std::int32_t{2}, std::string("MSysObjects"), std::int32_t{1},
                            static_cast<std::int32_t>(0x80000002u), std::monostate{}});
    for (const StoredTable& t : user)
        catalog.rows.push_back({static_cast<std::int32_t>(t.definitionPage), t.name, std::int32_t{1},
                                std::int32_t{0}, std::monostate{}});
    packDataPages(catalog);
    if (catalog.dataPages.size() != catalogPages)
        throw std::invalid_argument("catalog too large");

    std::vector<Page> pages(next);
    pages[0] = writeHeaderPage();

    std::vector<Bytes> mapRows;
    auto addTable = [&](const StoredTable& t) {
        const auto mapRow = static_cast<std::uint32_t>(mapRows.size());
        mapRows.push_back(usageMap(t.firstDataPage, t.dataPages.size()));
        mapRows.push_back(usageMap(0, 0));  // free-space map: nothing free
        pages[t.definitionPage] = writeDefinitionPage(t, mapRow);
        for (std::size_t p = 0; p < t.dataPages.size(); ++p)
            pages[t.firstDataPage + p] = writeDataPage(t.definitionPage, splitRows(t.dataPages[p]));
    };
    addTable(catalog);
    for (const StoredTable& t : user)
        addTable(t);
    if (mapRows.size() > MaxRowsPerPage)
        throw std::invalid_argument("too many tables");
    pages[1] = writeDataPage(0, mapRows);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (const Page& page : pages)
        out.write(reinterpret_cast<const char*>(page.data()), static_cast<std::streamsize>(page.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace pordane::testsupport
