// Image codecs (PNG through libpng, JPEG through TurboJPEG, the region renderer's PAM), smooth resizing, and
// the numbered image store.
#include <fcntl.h>
#include <png.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>

#include "media/pictures/pictures.h"
#include "media/system/system.h"

namespace media {

namespace {

// Larger pictures are refused rather than risking an allocation of many gigabytes on a damaged header.
constexpr std::int64_t maximumPixels = std::int64_t{1} << 27;

bool acceptableSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width * height <= maximumPixels;
}

bool looksLikePng(const unsigned char* data, std::size_t length) {
    return length >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

bool looksLikeJpeg(const unsigned char* data, std::size_t length) {
    return length >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
}

// ---- PNG reading ---------------------------------------------------------------------------------
// The full libpng interface is used rather than the simplified one: the latter treats 16-bit samples
// as linear light and brightens them on the way to 8 bits.

struct PngSource {
    const unsigned char* data;
    std::size_t length;
    std::size_t position;
};

// Running out of bytes is an error: a truncated file never gives a partly filled picture.
void readPngBytes(png_structp png, png_bytep target, png_size_t length) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (length > source->length - source->position) png_error(png, "truncated");
    std::memcpy(target, source->data + source->position, length);
    source->position += length;
}

void pngFailed(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

// Every colour type and depth becomes 8-bit RGB or RGBA, without gamma correction.
void requestSamples(png_structp png, png_infop info, int bytesPerPixel) {
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if (bytesPerPixel == 4) png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    if (bytesPerPixel == 3) png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// Only plain C data lives in these two frames, so libpng's longjmp on error skips no destructor.
bool readPngHeader(png_structp png, png_infop info, PngSource* source, int bytesPerPixel, png_uint_32* width,
                   png_uint_32* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, source, readPngBytes);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    requestSamples(png, info, bytesPerPixel);
    return png_get_rowbytes(png, info) == static_cast<png_size_t>(*width) * bytesPerPixel;
}

bool readPngRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

// Decodes into the rows of the buffer that pixelsFor(width, height) hands back, bytesPerPixel to a
// pixel. Reading stops after the image data, so bytes after the PNG (the sheet's trailer) are never
// looked at.
template <typename PixelsFor>
bool decodePng(const unsigned char* data, std::size_t length, int bytesPerPixel, PixelsFor pixelsFor) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFailed, pngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
#ifdef PNG_IGNORE_ADLER32
    // Every chunk's CRC already covers the compressed bytes; zlib's own checksum of the inflated
    // stream would check them a second time, at a fifth of the decoding time.
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    PngSource source{data, length, 0};
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool read =
        readPngHeader(png, info, &source, bytesPerPixel, &width, &height) && acceptableSize(width, height);
    unsigned char* base = read ? pixelsFor(static_cast<int>(width), static_cast<int>(height)) : nullptr;
    if (base) {
        std::vector<png_bytep> rows(height);
        const std::size_t rowBytes = static_cast<std::size_t>(width) * bytesPerPixel;
        for (png_uint_32 y = 0; y < height; ++y) rows[y] = base + y * rowBytes;
        read = readPngRows(png, rows.data());
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return read && base;
}

bool decodePngRgba(const unsigned char* data, std::size_t length, Picture& picture) {
    Picture decoded;
    auto pixelsFor = [&decoded](int width, int height) {
        decoded.width = width;
        decoded.height = height;
        decoded.pixels.assign(static_cast<std::size_t>(width) * height, 0);
        return reinterpret_cast<unsigned char*>(decoded.pixels.data());
    };
    if (!decodePng(data, length, 4, pixelsFor)) return false;
    picture = std::move(decoded);
    return true;
}

struct TurboHandle {
    tjhandle handle;
    explicit TurboHandle(tjhandle h) : handle(h) {}
    ~TurboHandle() {
        if (handle) tjDestroy(handle);
    }
    TurboHandle(const TurboHandle&) = delete;
    TurboHandle& operator=(const TurboHandle&) = delete;
};

// TurboJPEG reports recoverable problems as warnings after decoding all it could. Truncated or corrupt
// data would give a partly grey picture, so those fail; harmless warnings (stray bytes) are accepted.
bool acceptableWarning(tjhandle handle) {
    if (tjGetErrorCode(handle) != TJERR_WARNING) return false;
    std::string message = tjGetErrorStr2(handle);
    std::transform(message.begin(), message.end(), message.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return message.find("premature end") == std::string::npos && message.find("bogus") == std::string::npos;
}

struct JpegHeader {
    int width = 0;
    int height = 0;
};

bool readJpegHeader(tjhandle handle, const unsigned char* data, std::size_t length, JpegHeader& header) {
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(handle, data, static_cast<unsigned long>(length), &header.width, &header.height,
                            &subsampling, &colourspace) != 0)
        return false;
    return acceptableSize(header.width, header.height);
}

// Decodes at scale numerator/denominator (1/1 for full size).
bool decodeJpeg(const unsigned char* data, std::size_t length, tjscalingfactor scale, Picture& picture) {
    TurboHandle turbo(tjInitDecompress());
    JpegHeader header;
    if (!turbo.handle || !readJpegHeader(turbo.handle, data, length, header)) return false;
    Picture decoded;
    decoded.width = TJSCALED(header.width, scale);
    decoded.height = TJSCALED(header.height, scale);
    decoded.pixels.assign(static_cast<std::size_t>(decoded.width) * decoded.height, 0);
    auto* out = reinterpret_cast<unsigned char*>(decoded.pixels.data());
    int result = tjDecompress2(turbo.handle, data, static_cast<unsigned long>(length), out, decoded.width, 0,
                               decoded.height, TJPF_RGBA, TJFLAG_ACCURATEDCT);
    if (result != 0 && !acceptableWarning(turbo.handle)) return false;
    picture = std::move(decoded);
    return true;
}

// ---- PAM reading ---------------------------------------------------------------------------------
// The region renderer's PAM: 8-bit red, green, blue and alpha, which are the bytes of a picture's
// pixels in memory, so that reading it is one copy. Only exactly that header is taken.

std::string pamHeader(int width, int height) {
    char header[128];
    std::snprintf(header, sizeof header,
                  "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n", width,
                  height);
    return header;
}

bool decodeRgbaPam(const unsigned char* data, std::size_t length, Picture& picture) {
    const std::string start(reinterpret_cast<const char*>(data), std::min<std::size_t>(length, 64));
    int width = 0, height = 0;
    if (std::sscanf(start.c_str(), "P7\nWIDTH %d\nHEIGHT %d", &width, &height) != 2 ||
        !acceptableSize(width, height))
        return false;
    const std::string header = pamHeader(width, height);
    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (length != header.size() + count * 4 || std::memcmp(data, header.data(), header.size()) != 0)
        return false;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(count);
    const unsigned char* pixels = data + header.size();
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(picture.pixels.data(), pixels, count * 4);
    } else {
        for (std::size_t i = 0; i < count; ++i, pixels += 4)
            picture.pixels[i] = pixels[0] | pixels[1] << 8 | pixels[2] << 16 | std::uint32_t{pixels[3]} << 24;
    }
    return true;
}

bool decodeBytes(const unsigned char* data, std::size_t length, Picture& picture) {
    if (length >= 3 && std::memcmp(data, "P7\n", 3) == 0) return decodeRgbaPam(data, length, picture);
    if (looksLikePng(data, length)) return decodePngRgba(data, length, picture);
    if (looksLikeJpeg(data, length)) return decodeJpeg(data, length, tjscalingfactor{1, 1}, picture);
    return false;
}

tjscalingfactor chooseJpegScale(const JpegHeader& header, int minWidth, int minHeight) {
    return tjscalingfactor{1, reducedScaleDenominator(header.width, header.height, minWidth, minHeight)};
}

// ---- PNG writing -------------------------------------------------------------------------------

struct PngBuffer {
    unsigned char* bytes = nullptr;
    std::size_t length = 0;
    std::size_t capacity = 0;
};

// Grows with malloc so that a failure is reported through png_error, never as a C++ exception
// unwinding through libpng's C frames.
void appendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* buffer = static_cast<PngBuffer*>(png_get_io_ptr(png));
    if (buffer->length + length > buffer->capacity) {
        std::size_t capacity = std::max(buffer->capacity * 2, buffer->length + length + 65536);
        auto* grown = static_cast<unsigned char*>(std::realloc(buffer->bytes, capacity));
        if (!grown) png_error(png, "out of memory");
        buffer->bytes = grown;
        buffer->capacity = capacity;
    }
    std::memcpy(buffer->bytes + buffer->length, data, length);
    buffer->length += length;
}

void flushNothing(png_structp) {}

// Only plain C data lives in this frame, so libpng's longjmp on error skips no destructor.
bool writePngRows(png_structp png, png_infop info, png_bytepp rows, int width, int height, int level,
                  PngBuffer* buffer) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, buffer, appendPngBytes, flushNothing);
    png_set_compression_level(png, std::clamp(level, 0, 9));
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

bool encodePngBytes(const Picture& picture, int level, std::string& encoded) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(picture.height));
    auto* base = reinterpret_cast<png_bytep>(const_cast<std::uint32_t*>(picture.pixels.data()));
    for (int y = 0; y < picture.height; ++y) rows[y] = base + static_cast<std::size_t>(y) * picture.width * 4;
    PngBuffer buffer;
    bool written = writePngRows(png, info, rows.data(), picture.width, picture.height, level, &buffer);
    png_destroy_write_struct(&png, &info);
    if (written) encoded.assign(reinterpret_cast<const char*>(buffer.bytes), buffer.length);
    std::free(buffer.bytes);
    return written;
}

// Baseline JPEG, three components without subsampling, written whole or not at all. The output
// buffer is pixel memory of the largest size a JPEG of the picture can take.
bool encodeJpegPixels(const unsigned char* pixels, int width, int height, int pixelFormat, int quality0to100,
                      const std::string& file) {
    TurboHandle turbo(tjInitCompress());
    if (!turbo.handle) return false;
    PixelVector<unsigned char> output(tjBufSize(width, height, TJSAMP_444));
    unsigned char* jpeg = output.data();
    unsigned long size = static_cast<unsigned long>(output.size());
    int result = tjCompress2(turbo.handle, pixels, width, 0, height, pixelFormat, &jpeg, &size, TJSAMP_444,
                             std::clamp(quality0to100, 1, 100), TJFLAG_ACCURATEDCT | TJFLAG_NOREALLOC);
    return result == 0 && writeWholeFile(file, std::string_view(reinterpret_cast<const char*>(jpeg), size));
}

// A whole file in pixel memory: an encoded page of megabytes never stays in a heap.
bool readFileBytes(const std::string& file, PixelVector<unsigned char>& bytes) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return false;
    }
    bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        done += static_cast<std::size_t>(count);
    }
    ::close(fd);
    bytes.resize(done);
    return true;
}

bool validPicture(const Picture& picture) {
    return picture.width > 0 && picture.height > 0 &&
           picture.pixels.size() == static_cast<std::size_t>(picture.width) * picture.height;
}

// ---- Resizing ------------------------------------------------------------------------------------

// One output sample along an axis: a weighted run of source samples.
struct Tap {
    int first = 0;
    std::vector<float> weights;
};

// Shrinking averages the source area each output sample covers; enlarging interpolates linearly.
std::vector<Tap> axisTaps(int sourceSize, int targetSize) {
    std::vector<Tap> taps(static_cast<std::size_t>(targetSize));
    double scale = static_cast<double>(sourceSize) / targetSize;
    for (int i = 0; i < targetSize; ++i) {
        Tap& tap = taps[i];
        if (scale > 1.0) {
            double start = i * scale, end = start + scale;
            tap.first = static_cast<int>(start);
            for (int s = tap.first; s < end && s < sourceSize; ++s)
                tap.weights.push_back(
                    static_cast<float>((std::min<double>(s + 1, end) - std::max<double>(s, start)) / scale));
        } else {
            double centre = std::clamp((i + 0.5) * scale - 0.5, 0.0, sourceSize - 1.0);
            tap.first = std::min(static_cast<int>(centre), sourceSize - 1);
            float fraction = static_cast<float>(centre - tap.first);
            tap.weights = {1.0f - fraction};
            if (tap.first + 1 < sourceSize) tap.weights.push_back(fraction);
        }
    }
    return taps;
}

// Colour channels are premultiplied by alpha so that transparent pixels do not darken their neighbours.
void premultipliedRow(const std::uint32_t* pixels, int width, float* row) {
    for (int x = 0; x < width; ++x) {
        std::uint32_t p = pixels[x];
        float a = static_cast<float>(p >> 24);
        row[x * 4 + 0] = static_cast<float>(p & 255) * a;
        row[x * 4 + 1] = static_cast<float>((p >> 8) & 255) * a;
        row[x * 4 + 2] = static_cast<float>((p >> 16) & 255) * a;
        row[x * 4 + 3] = a;
    }
}

// One source row, premultiplied, filtered to the target width (4 floats a pixel) into target.
void filteredAcross(const Picture& source, int y, const std::vector<Tap>& taps, std::vector<float>& row,
                    float* target) {
    premultipliedRow(&source.pixels[static_cast<std::size_t>(y) * source.width], source.width, row.data());
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const float* base = &row[static_cast<std::size_t>(taps[i].first) * 4];
        float sum[4] = {0, 0, 0, 0};
        for (std::size_t k = 0; k < taps[i].weights.size(); ++k)
            for (int c = 0; c < 4; ++c) sum[c] += base[k * 4 + c] * taps[i].weights[k];
        for (int c = 0; c < 4; ++c) target[i * 4 + c] = sum[c];
    }
}

std::uint32_t channel(float value) {
    return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L));
}

void unpremultipliedRow(const float* values, int width, std::uint32_t* pixels) {
    for (int x = 0; x < width; ++x) {
        const float* v = &values[static_cast<std::size_t>(x) * 4];
        const float a = v[3];
        pixels[x] = a < 0.5f ? 0u
                             : channel(v[0] / a) | channel(v[1] / a) << 8 | channel(v[2] / a) << 16 |
                                   channel(a) << 24;
    }
}

// The source rows filtered across that the output rows from here on still need: each is made when
// first needed and dropped once passed, so that a few rows of floats live at a time, never a whole
// page of them (tens of megabytes that the heap would keep).
class FilteredRows {
public:
    FilteredRows(const Picture& source, int width)
        : source_(source),
          taps_(axisTaps(source.width, width)),
          row_(static_cast<std::size_t>(source.width) * 4),
          rowLength_(static_cast<std::size_t>(width) * 4) {}
    // Rows before y are no longer needed by any output row to come.
    void dropBefore(int y) {
        while (!rows_.empty() && first_ < y) {
            spare_.push_back(std::move(rows_.front()));
            rows_.pop_front();
            ++first_;
        }
        if (rows_.empty()) first_ = std::max(first_, y);
    }
    // Row y, at or after the last row dropped before.
    const float* row(int y) {
        while (first_ + static_cast<int>(rows_.size()) <= y) {
            std::vector<float> next;
            if (spare_.empty()) {
                next.resize(rowLength_);
            } else {
                next = std::move(spare_.back());
                spare_.pop_back();
            }
            filteredAcross(source_, first_ + static_cast<int>(rows_.size()), taps_, row_, next.data());
            rows_.push_back(std::move(next));
        }
        return rows_[static_cast<std::size_t>(y - first_)].data();
    }

private:
    const Picture& source_;
    std::vector<Tap> taps_;
    std::vector<float> row_;
    std::size_t rowLength_;
    std::deque<std::vector<float>> rows_;  // filtered rows first_, first_ + 1, ...
    std::vector<std::vector<float>> spare_;
    int first_ = 0;
};

}  // namespace

// The smallest of 1/8, 1/4, 1/2 that still gives at least the wanted size; 1/1 when none does. A side
// of n pixels becomes n / denominator rounded up, as in a JPEG decoded at that scale.
int reducedScaleDenominator(int width, int height, int minWidth, int minHeight) {
    for (int denominator : {8, 4, 2}) {
        if ((width + denominator - 1) / denominator >= minWidth &&
            (height + denominator - 1) / denominator >= minHeight)
            return denominator;
    }
    return 1;
}

// ---- Decoding and encoding -----------------------------------------------------------------------

bool decodeImageMemory(const void* data, std::size_t length, Picture& picture) {
    if (!data) return false;
    return decodeBytes(static_cast<const unsigned char*>(data), length, picture);
}

// A PAM is read straight into the picture's pixels, so that a screen-sized layer never lies in memory
// twice. False when the file is no PAM of the region renderer's or is cut short or too long.
bool readRgbaPamFile(const std::string& file, Picture& picture) {
    std::FILE* in = std::fopen(file.c_str(), "rbe");
    if (!in) return false;
    char start[128] = {};
    const std::size_t got = std::fread(start, 1, sizeof start - 1, in);
    int width = 0, height = 0;
    bool good =
        std::sscanf(start, "P7\nWIDTH %d\nHEIGHT %d", &width, &height) == 2 && acceptableSize(width, height);
    const std::string header = good ? pamHeader(width, height) : std::string();
    good = good && got >= header.size() && std::memcmp(start, header.data(), header.size()) == 0 &&
           std::fseek(in, static_cast<long>(header.size()), SEEK_SET) == 0;
    Picture read;
    if (good) {
        read.width = width;
        read.height = height;
        read.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        good = std::fread(read.pixels.data(), 4, read.pixels.size(), in) == read.pixels.size() &&
               std::fgetc(in) == EOF && std::endian::native == std::endian::little;
    }
    std::fclose(in);
    if (good) picture = std::move(read);
    return good;
}

bool decodeImageFile(const std::string& file, Picture& picture) {
    if (readRgbaPamFile(file, picture)) return true;
    PixelVector<unsigned char> bytes;
    if (!readFileBytes(file, bytes)) return false;
    return decodeImageMemory(bytes.data(), bytes.size(), picture);
}

bool decodeJpegScaled(const std::string& file, int minWidth, int minHeight, Picture& picture) {
    PixelVector<unsigned char> bytes;
    if (!readFileBytes(file, bytes)) return false;
    const unsigned char* data = bytes.data();
    if (!looksLikeJpeg(data, bytes.size())) return decodeBytes(data, bytes.size(), picture);
    TurboHandle turbo(tjInitDecompress());
    JpegHeader header;
    if (!turbo.handle || !readJpegHeader(turbo.handle, data, bytes.size(), header)) return false;
    return decodeJpeg(data, bytes.size(), chooseJpegScale(header, minWidth, minHeight), picture);
}

bool encodePngFile(const Picture& picture, const std::string& file, int compressionLevel) {
    std::string encoded;
    if (!validPicture(picture) || !encodePngBytes(picture, compressionLevel, encoded)) return false;
    return writeWholeFile(file, encoded);
}

bool encodeJpegFile(const Picture& picture, const std::string& file, int quality0to100) {
    if (!validPicture(picture)) return false;
    const auto* pixels = reinterpret_cast<const unsigned char*>(picture.pixels.data());
    return encodeJpegPixels(pixels, picture.width, picture.height, TJPF_RGBA, quality0to100, file);
}

bool decodePngRgb(const std::string& file, RgbPicture& picture) {
    PixelVector<unsigned char> bytes;
    if (!readFileBytes(file, bytes)) return false;
    const unsigned char* data = bytes.data();
    if (!looksLikePng(data, bytes.size())) return false;
    RgbPicture decoded;
    auto pixelsFor = [&decoded](int width, int height) {
        decoded.width = width;
        decoded.height = height;
        decoded.bytes.resize(static_cast<std::size_t>(width) * height * 3);
        return decoded.bytes.data();
    };
    if (!decodePng(data, bytes.size(), 3, pixelsFor)) return false;
    picture = std::move(decoded);
    return true;
}

bool encodeJpegRgbFile(const RgbPicture& picture, const std::string& file, int quality0to100) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.bytes.size() != static_cast<std::size_t>(picture.width) * picture.height * 3)
        return false;
    return encodeJpegPixels(picture.bytes.data(), picture.width, picture.height, TJPF_RGB, quality0to100,
                            file);
}

// Can be called from any thread. An empty picture for an invalid source or size. Each output row
// adds up the filtered rows its taps cover, in order.
Picture resizedPicture(const Picture& source, int width, int height) {
    if (!validPicture(source) || !acceptableSize(width, height)) return {};
    FilteredRows across(source, width);
    const std::vector<Tap> down = axisTaps(source.height, height);
    std::vector<float> sum(static_cast<std::size_t>(width) * 4);
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        across.dropBefore(down[y].first);
        for (std::size_t k = 0; k < down[y].weights.size(); ++k) {
            const float* line = across.row(down[y].first + static_cast<int>(k));
            const float weight = down[y].weights[k];
            for (std::size_t j = 0; j < sum.size(); ++j) sum[j] += line[j] * weight;
        }
        unpremultipliedRow(sum.data(), width, &picture.pixels[static_cast<std::size_t>(y) * width]);
    }
    return picture;
}

// ---- The numbered image store ---------------------------------------------------------------------

namespace {

struct ImageStore {
    std::mutex mutex;
    std::map<int, std::shared_ptr<const Picture>> images;
};

ImageStore& store() {
    static ImageStore instance;
    return instance;
}

}  // namespace

// Puts a picture under an image number, replacing what was there; readers holding the previous
// snapshot keep it. For drawing into images (not yet declared in picture.h). Any thread.
void storeImagePicture(int number, Picture picture) {
    if (number < 0) return;
    auto shared = std::make_shared<const Picture>(std::move(picture));
    std::lock_guard lock(store().mutex);
    store().images[number] = std::move(shared);
}

std::shared_ptr<const Picture> imagePicture(int number) {
    std::lock_guard lock(store().mutex);
    auto found = store().images.find(number);
    return found == store().images.end() ? nullptr : found->second;
}

bool loadImage(int number, const std::string& file) {
    Picture picture;
    if (number < 0 || !decodeImageFile(file, picture)) return false;
    storeImagePicture(number, std::move(picture));
    return true;
}

bool loadImageScaled(int number, const std::string& file, int minWidth, int minHeight) {
    Picture picture;
    if (number < 0 || !decodeJpegScaled(file, minWidth, minHeight, picture)) return false;
    storeImagePicture(number, std::move(picture));
    return true;
}

int imageWidth(int number) {
    auto picture = imagePicture(number);
    return picture ? picture->width : 0;
}

int imageHeight(int number) {
    auto picture = imagePicture(number);
    return picture ? picture->height : 0;
}

bool imageExists(int number) {
    return imagePicture(number) != nullptr;
}

bool resizeImage(int number, int width, int height) {
    auto picture = imagePicture(number);
    if (!picture) return false;
    Picture resized = resizedPicture(*picture, width, height);
    if (resized.pixels.empty()) return false;
    storeImagePicture(number, std::move(resized));
    return true;
}

bool saveImagePng(int number, const std::string& file) {
    auto picture = imagePicture(number);
    return picture && encodePngFile(*picture, file, 6);
}

// The 0..10 quality scale maps onto JPEG quality 0..100 (9 gives 90).
bool saveImageJpeg(int number, const std::string& file, int quality0to10) {
    auto picture = imagePicture(number);
    return picture && encodeJpegFile(*picture, file, std::clamp(quality0to10, 0, 10) * 10);
}

void freeImage(int number) {
    std::lock_guard lock(store().mutex);
    store().images.erase(number);
}

}  // namespace media
