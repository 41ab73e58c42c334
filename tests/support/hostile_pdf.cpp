// Hostile PDF documents for tests. A stream that inflates to gigabytes repeats the Deflate codes of one
// megabyte, then is compressed once more, so that making a bomb costs little time and its file kilobytes.
#include "tests/support/hostile_pdf.h"

#include <zlib.h>

#include <vector>

#include "tests/support/pdf_maker.h"

namespace {

// Bytes as upper-case hexadecimal digits, as a PDF hex string holds them.
std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char byte : bytes) out += {"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 15]};
    return out;
}

// Raw Deflate codes of data, ended by a full flush: byte-aligned and independent of what came before,
// so that they can be repeated; or, with Z_FINISH, the stream's last.
std::string deflated(z_stream& z, const std::string& data, int flush) {
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())) + 64, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, flush);
    out.resize(out.size() - z.avail_out);
    return out;
}

uLong adler(uLong checksum, const std::string& data) {
    return adler32(checksum, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size()));
}

// A zlib stream of prefix, the pattern (1, 2 or 4 bytes) repeated to fillBytes, suffix: the codes and
// checksum of a megabyte of the pattern are made once and repeated.
std::string zlibRun(const std::string& prefix, const std::string& pattern, std::uint64_t fillBytes,
                    const std::string& suffix) {
    constexpr std::uint64_t block = 1 << 20;  // a whole number of patterns of 1, 2 or 4 bytes
    std::string blockBytes;
    while (blockBytes.size() < block) blockBytes += pattern;
    const std::string tail = blockBytes.substr(0, fillBytes % block) + suffix;
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::string stream = "\x78\xDA" + deflated(z, prefix, Z_FULL_FLUSH);
    const std::string blockCodes = deflated(z, blockBytes, Z_FULL_FLUSH);
    uLong checksum = adler(1, prefix);
    const uLong blockChecksum = adler(1, blockBytes);
    for (std::uint64_t blocks = fillBytes / block; blocks > 0; --blocks) {
        stream += blockCodes;
        checksum = adler32_combine(checksum, blockChecksum, static_cast<z_off_t>(block));
    }
    stream += deflated(z, tail, Z_FINISH);
    deflateEnd(&z);
    checksum = adler(checksum, tail);
    for (int shift = 24; shift >= 0; shift -= 8) stream += static_cast<char>((checksum >> shift) & 0xff);
    return stream;
}

std::string plainStream(const std::string& data) {
    return "<< /Length " + std::to_string(data.size()) + " >>\nstream\n" + data + "\nendstream";
}

const std::string helloText = "BT /F1 24 Tf 20 20 Td (Hello) Tj ET";

// Objects 1 catalog, 2 page tree, 3 page, 4 content, 5 font, then the extra ones. A page is described by
// the parts that differ from a plain one; the rest keep their defaults.
struct PageParts {
    std::string pageEntries = "/MediaBox [0 0 612 792]";
    std::string resources = "/Font << /F1 5 0 R >>";
    std::string catalogEntries = {};
    std::string count = "1";
    std::string content = plainStream(helloText);
    std::string font = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    std::vector<std::string> extra = {};
    std::string trailerEntries = {};
};

std::string onePage(const PageParts& parts) {
    std::vector<std::string> bodies = {"<< /Type /Catalog /Pages 2 0 R " + parts.catalogEntries + " >>",
                                       "<< /Type /Pages /Kids [3 0 R] /Count " + parts.count + " >>",
                                       "<< /Type /Page /Parent 2 0 R /Resources << " + parts.resources +
                                           " >> /Contents 4 0 R " + parts.pageEntries + " >>",
                                       parts.content, parts.font};
    bodies.insert(bodies.end(), parts.extra.begin(), parts.extra.end());
    return handWrittenPdf(bodies, parts.trailerEntries);
}

// The body of a stream object filtered twice with Flate that inflates to prefix, then the pattern
// (1, 2 or 4 bytes) repeated to fillBytes, then suffix; entries go into its dictionary.
std::string inflatingStream(const std::string& entries, const std::string& prefix, const std::string& pattern,
                            std::uint64_t fillBytes, const std::string& suffix = "") {
    // The outer layer: the inner stream as a prefix, with nothing repeated.
    const std::string data = zlibRun(zlibRun(prefix, pattern, fillBytes, suffix), " ", 0, "");
    return "<< " + entries + " /Filter [/FlateDecode /FlateDecode] /Length " + std::to_string(data.size()) +
           " >>\nstream\n" + data + "\nendstream";
}

}  // namespace

std::string blankFloodPdf(std::uint64_t blankBytes) {
    return onePage({.content = inflatingStream("", helloText + "\n", " ", blankBytes)});
}

std::string hugeImagePdf(int side) {
    const std::string image =
        inflatingStream("/Type /XObject /Subtype /Image /Width " + std::to_string(side) + " /Height " +
                            std::to_string(side) + " /ColorSpace /DeviceRGB /BitsPerComponent 8",
                        "", std::string(1, '\0'), static_cast<std::uint64_t>(side) * side * 3);
    return onePage({.resources = "/Font << /F1 5 0 R >> /XObject << /Im1 6 0 R >>",
                    .content = plainStream("q 300 0 0 300 50 300 cm /Im1 Do Q " + helloText),
                    .extra = {image}});
}

std::string savedStatesPdf(std::uint64_t saves) {
    return onePage({.content = inflatingStream("", "", "q ", 2 * saves, helloText)});
}

std::string fontBombPdf(std::uint64_t fontBytes) {
    const std::string descriptor =
        "<< /Type /FontDescriptor /FontName /Bomb /Flags 32 /FontBBox [0 0 1000 1000] /ItalicAngle 0 "
        "/Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 7 0 R >>";
    return onePage({.font = "<< /Type /Font /Subtype /TrueType /BaseFont /Bomb /FirstChar 32 /LastChar 126 "
                            "/FontDescriptor 6 0 R >>",
                    .extra = {descriptor, inflatingStream("", std::string("\x00\x01\x00\x00", 4),
                                                          std::string(1, '\0'), fontBytes)}});
}

std::string claimedPageCountPdf(std::int64_t count) {
    return onePage({.count = std::to_string(count)});
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
    return onePage({.pageEntries = "/MediaBox [0 0 612 792] /Nested " + std::string(depth, '[') +
                                   std::string(depth, ']'),
                    .catalogEntries = "/Outlines 6 0 R /PageMode /UseOutlines",
                    .extra = outline});
}

std::string nestedCatalogPdf(int depth) {
    std::string opening, closing;
    for (int level = 0; level < depth; ++level) opening += "<< /A ", closing += " >>";
    return onePage({.catalogEntries = "/Nested " + opening + "1" + closing});
}

std::string activeContentPdf(const std::string& markerPath) {
    const std::string script = "app.launchURL('http://localhost:9/'); this.exportDataObject({cName: 'x'});";
    return onePage({.catalogEntries = "/OpenAction << /S /JavaScript /JS (" + script +
                                      ") >> /AA << /WC << /S /Launch /F (" + markerPath +
                                      ") /Unix << /F (/bin/touch) /P (" + markerPath +
                                      ") >> >> >> /Names << /JavaScript << /Names [(loop) << /S /JavaScript "
                                      "/JS (while (1) {}) >>] >> >>"});
}

std::string titledPdf(const std::string& title) {
    return onePage({.extra = {"<< /Title <" + hex(title) + "> >>"}, .trailerEntries = "/Info 6 0 R"});
}
