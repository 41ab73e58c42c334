// Placeholder definitions, replaced one by one by the real ones; this file goes when empty.
#include "media/media.h"
#include "media/unicode.h"
#include "media/picture.h"

namespace media {
bool loadImage(int number, const std::string& file) { (void)number; (void)file; return {}; }
int imageWidth(int number) { (void)number; return {}; }
int imageHeight(int number) { (void)number; return {}; }
bool imageExists(int number) { (void)number; return {}; }
bool resizeImage(int number, int width, int height) { (void)number; (void)width; (void)height; return {}; }
bool saveImagePng(int number, const std::string& file) { (void)number; (void)file; return {}; }
bool saveImageJpeg(int number, const std::string& file, int quality0to10) { (void)number; (void)file; (void)quality0to10; return {}; }
void freeImage(int number) { (void)number; }
bool loadImageScaled(int number, const std::string& file, int minWidth, int minHeight) { (void)number; (void)file; (void)minWidth; (void)minHeight; return {}; }
bool startSound() { return {}; }
bool prepareTune(int number, const void* data, std::size_t length) { (void)number; (void)data; (void)length; return {}; }
void setTunePosition(int number, int position) { (void)number; (void)position; }
void playTune(int number) { (void)number; }
void stopTune(int number) { (void)number; }
bool tunePlaying(int number) { (void)number; return {}; }
std::vector<std::int16_t> decodeTune(const void* data, std::size_t length, int milliseconds, int* channels) { (void)data; (void)length; (void)milliseconds; (void)channels; return {}; }
std::int64_t fileSize(const std::string& path) { (void)path; return {}; }
bool filePresent(const std::string& path) { (void)path; return {}; }
std::int64_t fileModificationTime(const std::string& path) { (void)path; return {}; }
std::int64_t localSecondsFromUtc(std::int64_t utcSeconds) { (void)utcSeconds; return {}; }
bool createFolder(const std::string& path, bool withParents) { (void)path; (void)withParents; return {}; }
bool folderExists(const std::string& path) { (void)path; return {}; }
bool deleteFile(const std::string& path) { (void)path; return {}; }
void deleteFilesInFolder(const std::string& folder, const std::string& pattern) { (void)folder; (void)pattern; }
bool readWholeFile(const std::string& path, std::string& contents) { (void)path; (void)contents; return {}; }
bool writeWholeFile(const std::string& path, const std::string& contents) { (void)path; (void)contents; return {}; }
bool appendToFile(const std::string& path, const std::string& contents) { (void)path; (void)contents; return {}; }
std::vector<std::string> readLines(const std::string& path) { (void)path; return {}; }
bool canOpenForReading(const std::string& path) { (void)path; return {}; }
std::string executableFolder() { return {}; }
std::string currentFolder() { return {}; }
std::string temporaryFolder() { return {}; }
bool folderWritable(const std::string& path) { (void)path; return {}; }
int runProgram(const std::string& program, const std::vector<std::string>& arguments, const RunOptions& options) { (void)program; (void)arguments; (void)options; return {}; }
int isProgramRunning(const std::string& exeName) { (void)exeName; return {}; }
bool stopProgram(int processId) { (void)processId; return {}; }
void raiseProgramPriority(int processId) { (void)processId; }
void reapFinishedPrograms() { }
std::string windowsBitness() { return {}; }
std::size_t characterCount(const std::string& utf8) { (void)utf8; return {}; }
std::size_t byteOffsetOfCharacter(const std::string& utf8, std::size_t characterIndex) { (void)utf8; (void)characterIndex; return {}; }
std::string characterSlice(const std::string& utf8, std::size_t first, std::size_t count) { (void)utf8; (void)first; (void)count; return {}; }
std::string withoutLastCharacter(const std::string& utf8) { (void)utf8; return {}; }
int firstCodePoint(const std::string& utf8) { (void)utf8; return {}; }
bool isValidUtf8(const std::string& bytes) { (void)bytes; return {}; }
std::string repairToUtf8(const std::string& bytes) { (void)bytes; return {}; }
std::string caseFold(const std::string& utf8) { (void)utf8; return {}; }
std::string asciiUpper(std::string text) { (void)text; return {}; }
struct Thread::Impl {};
Thread::Thread() = default;
Thread::~Thread() = default;
bool Thread::start(std::function<void()> procedure) { procedure(); return true; }
void Thread::join() {}
bool Thread::joinable() const { return false; }
bool IniFile::open(const std::string& path) { (void)path; return false; }
void IniFile::selectSection(const std::string& section) { (void)section; }
std::string IniFile::read(const std::string& key, const std::string& defaultValue) const { (void)key; return defaultValue; }
bool decodeImageFile(const std::string& file, Picture& picture) { (void)file; (void)picture; return false; }
bool decodeImageMemory(const void* data, std::size_t length, Picture& picture) { (void)data; (void)length; (void)picture; return false; }
bool decodeJpegScaled(const std::string& file, int minWidth, int minHeight, Picture& picture) { (void)file; (void)minWidth; (void)minHeight; (void)picture; return false; }
bool encodePngFile(const Picture& picture, const std::string& file, int compressionLevel) { (void)picture; (void)file; (void)compressionLevel; return false; }
bool encodeJpegFile(const Picture& picture, const std::string& file, int quality0to100) { (void)picture; (void)file; (void)quality0to100; return false; }
Picture resizedPicture(const Picture& source, int width, int height) { (void)source; (void)width; (void)height; return {}; }
std::shared_ptr<const Picture> imagePicture(int number) { (void)number; return {}; }
}  // namespace media
