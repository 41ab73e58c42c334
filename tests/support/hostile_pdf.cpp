// Hostile PDF documents for tests. A stream that inflates to gigabytes is written as Deflate codes
// directly (one literal, then copies of 258 bytes at distance 1: 13 bits each), then compressed once
// more, so that making a bomb costs milliseconds and its file kilobytes.
#include "tests/support/hostile_pdf.h"

#include <zlib.h>

#include <vector>

#include "tests/support/pdf_maker.h"

namespace {

// Bytes as upper-case hexadecimal digits, as a PDF hex string holds them.
std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

// Deflate's bits, least significant first; Huffman codes are sent from their most significant bit.
class BitWriter {
public:
    void bits(std::uint32_t value, int count) {
        pending_ |= static_cast<std::uint64_t>(value) << filled_;
        filled_ += count;
        while (filled_ >= 8) {
            bytes_ += static_cast<char>(pending_ & 0xff);
            pending_ >>= 8;
            filled_ -= 8;
        }
    }
    void code(std::uint32_t value, int count) {
        std::uint32_t reversed = 0;
        for (int i = 0; i < count; ++i) reversed |= ((value >> i) & 1U) << (count - 1 - i);
        bits(reversed, count);
    }
    std::string finish() {
        if (filled_ > 0) bytes_ += static_cast<char>(pending_ & 0xff);
        return bytes_;
    }

private:
    std::string bytes_;
    std::uint64_t pending_ = 0;
    int filled_ = 0;
};

// The fixed Huffman codes of literals 0-255.
void literal(BitWriter& out, unsigned char c) {
    if (c < 144)
        out.code(0x30 + c, 8);
    else
        out.code(0x190 + (c - 144), 9);
}

void literals(BitWriter& out, const std::string& text) {
    for (char c : text) literal(out, static_cast<unsigned char>(c));
}

// Adler-32 of prefix, the pattern repeated to fillBytes, suffix. Whole megabytes of fill are combined
// by doubling, so that a checksum of gigabytes costs no time.
uLong runChecksum(const std::string& prefix, const std::string& pattern, std::uint64_t fillBytes,
                  const std::string& suffix) {
    constexpr std::uint64_t block = 1 << 20;  // a whole number of patterns of 1, 2 or 4 bytes
    std::string blockBytes;
    while (blockBytes.size() < block) blockBytes += pattern;
    blockBytes.resize(block);
    const auto* blockData = reinterpret_cast<const Bytef*>(blockBytes.data());
    uLong checksum =
        adler32(1, reinterpret_cast<const Bytef*>(prefix.data()), static_cast<uInt>(prefix.size()));
    uLong power = adler32(1, blockData, block);
    std::uint64_t powerLength = block;
    for (std::uint64_t blocks = fillBytes / block; blocks > 0; blocks >>= 1) {
        if (blocks & 1) checksum = adler32_combine(checksum, power, static_cast<z_off_t>(powerLength));
        power = adler32_combine(power, power, static_cast<z_off_t>(powerLength));
        powerLength *= 2;
    }
    checksum = adler32(checksum, blockData, static_cast<uInt>(fillBytes % block));
    return adler32(checksum, reinterpret_cast<const Bytef*>(suffix.data()), static_cast<uInt>(suffix.size()));
}

// A zlib stream (one fixed-code block) of prefix, the pattern (1, 2 or 4 bytes) repeated to
// fillBytes, suffix: the pattern once as literals, then copies of 258 bytes at its own distance.
std::string zlibRun(const std::string& prefix, const std::string& pattern, std::uint64_t fillBytes,
                    const std::string& suffix) {
    BitWriter out;
    out.bits(1, 1);  // the last block
    out.bits(1, 2);  // fixed codes
    literals(out, prefix);
    const std::uint64_t period = pattern.size();
    std::uint64_t written = std::min(fillBytes, period);
    literals(out, pattern.substr(0, written));
    for (; fillBytes - written >= 258; written += 258) {
        out.code(0xC5, 8);                                    // length 258 (symbol 285)
        out.code(static_cast<std::uint32_t>(period - 1), 5);  // distances 1 to 4 have codes 0 to 3
    }
    for (; written < fillBytes; ++written)
        literal(out, static_cast<unsigned char>(pattern[written % period]));
    literals(out, suffix);
    out.code(0, 7);  // end of block (symbol 256)
    std::string stream = "\x78\x01" + out.finish();
    const uLong checksum = runChecksum(prefix, pattern, fillBytes, suffix);
    for (int shift = 24; shift >= 0; shift -= 8) stream += static_cast<char>((checksum >> shift) & 0xff);
    return stream;
}

std::string compressed(const std::string& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
              static_cast<uLong>(data.size()), 9);
    out.resize(size);
    return out;
}

std::string plainStream(const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

const std::string helloText = "BT /F1 24 Tf 20 20 Td (Hello) Tj ET";
const std::string helvetica = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";

// Objects 1 catalog, 2 page tree, 3 page, 4 content, 5 font, then extra ones.
struct PageParts {
    std::string pageEntries = "/MediaBox [0 0 612 792]";
    std::string resources = "/Font << /F1 5 0 R >>";
    std::string catalogEntries;
    std::string count = "1";
};

std::string onePage(const PageParts& parts, const std::string& content, const std::string& font,
                    const std::vector<std::string>& extra = {}) {
    std::vector<std::string> bodies = {"<< /Type /Catalog /Pages 2 0 R " + parts.catalogEntries + " >>",
                                       "<< /Type /Pages /Kids [3 0 R] /Count " + parts.count + " >>",
                                       "<< /Type /Page /Parent 2 0 R /Resources << " + parts.resources +
                                           " >> /Contents 4 0 R " + parts.pageEntries + " >>",
                                       content, font};
    bodies.insert(bodies.end(), extra.begin(), extra.end());
    return handWrittenPdf(bodies);
}

}  // namespace

std::string inflatingStream(const std::string& entries, const std::string& prefix, const std::string& pattern,
                            std::uint64_t fillBytes, const std::string& suffix) {
    const std::string data = compressed(zlibRun(prefix, pattern, fillBytes, suffix));
    return "<< " + entries + " /Filter [/FlateDecode /FlateDecode] /Length " + std::to_string(data.size()) +
           " >>\nstream\n" + data + "\nendstream";
}

std::string blankFloodPdf(std::uint64_t blankBytes) {
    return onePage({}, inflatingStream("", helloText + "\n", " ", blankBytes), helvetica);
}

std::string hugeImagePdf(int side) {
    const std::string image =
        inflatingStream("/Type /XObject /Subtype /Image /Width " + std::to_string(side) + " /Height " +
                            std::to_string(side) + " /ColorSpace /DeviceRGB /BitsPerComponent 8",
                        "", std::string(1, '\0'), static_cast<std::uint64_t>(side) * side * 3);
    PageParts parts;
    parts.resources += " /XObject << /Im1 6 0 R >>";
    return onePage(parts, plainStream("q 300 0 0 300 50 300 cm /Im1 Do Q " + helloText), helvetica, {image});
}

std::string savedStatesPdf(std::uint64_t saves) {
    return onePage({}, inflatingStream("", "", "q ", 2 * saves, helloText), helvetica);
}

std::string fontBombPdf(std::uint64_t fontBytes) {
    const std::string font =
        "<< /Type /Font /Subtype /TrueType /BaseFont /Bomb /FirstChar 32 /LastChar 126 /FontDescriptor 6 0 R "
        ">>";
    const std::string descriptor =
        "<< /Type /FontDescriptor /FontName /Bomb /Flags 32 /FontBBox [0 0 1000 1000] /ItalicAngle 0 "
        "/Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 7 0 R >>";
    const std::string trueTypeStart("\x00\x01\x00\x00", 4);
    return onePage({}, plainStream(helloText), font,
                   {descriptor, inflatingStream("", trueTypeStart, std::string(1, '\0'), fontBytes)});
}

std::string absurdPagePdf(const std::string& mediaBox, const std::string& extraPageEntries) {
    PageParts parts;
    parts.pageEntries = "/MediaBox " + mediaBox + " " + extraPageEntries;
    return onePage(parts, plainStream(helloText), helvetica);
}

std::string claimedPageCountPdf(std::int64_t count) {
    PageParts parts;
    parts.count = std::to_string(count);
    return onePage(parts, plainStream(helloText), helvetica);
}

// Objects 6 on: the outline root, then one item per level, each the only child of the one before.
std::string deeplyNestedPdf(int depth) {
    std::vector<std::string> outline = {"<< /Type /Outlines /First 7 0 R /Last 7 0 R /Count 1 >>"};
    for (int level = 0; level < depth; ++level) {
        const int self = 7 + level;
        const std::string next = std::to_string(self + 1) + " 0 R";
        const std::string child = level + 1 < depth ? "/First " + next + " /Last " + next + " /Count 1"
                                                    : "/Next " + std::to_string(self) + " 0 R";
        outline.push_back("<< /Title (Level " + std::to_string(level) + ") /Parent " +
                          std::to_string(self - 1) + " 0 R " + child + " /Dest [3 0 R /Fit] >>");
    }
    PageParts parts;
    parts.pageEntries += " /Nested " + std::string(depth, '[') + std::string(depth, ']');
    parts.catalogEntries = "/Outlines 6 0 R /PageMode /UseOutlines";
    return onePage(parts, plainStream(helloText), helvetica, outline);
}

std::string nestedCatalogPdf(int depth) {
    PageParts parts;
    std::string opening, closing;
    for (int level = 0; level < depth; ++level) {
        opening += "<< /A ";
        closing += " >>";
    }
    parts.catalogEntries = "/Nested " + opening + "1" + closing;
    return onePage(parts, plainStream(helloText), helvetica);
}

std::string activeContentPdf(const std::string& markerPath) {
    const std::string script = "app.launchURL('http://localhost:9/'); this.exportDataObject({cName: 'x'});";
    PageParts parts;
    parts.catalogEntries = "/OpenAction << /S /JavaScript /JS (" + script +
                           ") >> /AA << /WC << /S /Launch /F (" + markerPath +
                           ") /Unix << /F (/bin/touch) /P (" + markerPath +
                           ") >> >> >> /Names << /JavaScript << /Names [(loop) << /S /JavaScript /JS "
                           "(while (1) {}) >>] >> >>";
    return onePage(parts, plainStream(helloText), helvetica);
}

std::string titledPdf(const std::string& title) {
    const PageParts parts;
    std::vector<std::string> bodies = {"<< /Type /Catalog /Pages 2 0 R >>",
                                       "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                       "<< /Type /Page /Parent 2 0 R " + parts.pageEntries +
                                           " /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>",
                                       plainStream(helloText),
                                       helvetica,
                                       "<< /Title <" + hex(title) + "> >>"};
    return handWrittenPdf(bodies, "/Info 6 0 R");
}
