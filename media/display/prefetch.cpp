// Image files decoded ahead on a thread of their own, within a small bound, for loadSprite to take.
// A decoded picture is made into a hidden sprite between two frames, with its texture or (software
// renderer) its copy scaled to the size it will be shown at, so that taking it costs the frame nothing
// but a move.
#include <sys/stat.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "media/display/display_internal.h"
#include "media/pictures/pictures.h"
#include "media/system/system.h"

namespace media {

namespace {

constexpr std::size_t mostPictures = 3;

// What tells one version of a file from the next: a file replaced under the same name (a new
// rename, a rewrite) changes at least one of these.
struct FileStamp {
    std::int64_t size = -1;
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;
};

bool stampOf(const std::string& file, FileStamp& stamp) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) return false;
    stamp.size = status.st_size;
    stamp.modifiedNanoseconds = std::int64_t{status.st_mtim.tv_sec} * 1000000000 + status.st_mtim.tv_nsec;
    stamp.device = status.st_dev;
    stamp.inode = status.st_ino;
    return true;
}

struct Prefetched {
    std::string file;
    FileStamp stamp;
    Picture picture;
    bool ownAlpha = false;
    int sprite = 0;            // the hidden sprite now holding the picture, texture made; 0 while a picture
    DisplaySize preparedSize;  // the size it was last made ready to be shown at
};

// Hidden sprites have numbers no caller can use.
constexpr int firstHiddenSprite = -2;

// A file that did not decode (cut short, changed while read) is not tried again while it stays wished
// for; loadSprite then decodes it itself, as without prefetching.
struct Failed {
    std::string file;
};

class Prefetcher {
public:
    // The sprite store may be gone by now: hidden sprites are left to it.
    ~Prefetcher() { halt(); }

    // Main thread. A wish equal to the last one changes nothing but the preparation of one more
    // decoded picture.
    void want(const std::vector<std::string>& files, const DisplaySizeRule& displaySize) {
        std::vector<int> dropped;
        {
            std::lock_guard lock(mutex_);
            if (files != wanted_) {
                wanted_ = files;
                dropUnwanted(dropped);
                if (!thread_.joinable()) {
                    stopping_ = false;
                    thread_ = std::thread([this] { run(); });
                }
                wake_.notify_one();
            }
        }
        for (int sprite : dropped) freeSprite(sprite);
        if (!prepareOne()) prepareMostWantedDisplay(displaySize);
    }

    // Main thread. Puts the picture of file under sprite number when it was decoded from the file
    // as it is now. A decode of it under way is waited for: it is further on than a new one would be.
    bool take(const std::string& file, int number) {
        FileStamp now;
        const bool present = stampOf(file, now);
        Prefetched entry;
        {
            std::unique_lock lock(mutex_);
            decoded_.wait(lock, [&] { return decoding_ != file; });
            auto found = std::find_if(ready_.begin(), ready_.end(),
                                      [&](const Prefetched& p) { return p.file == file; });
            if (found == ready_.end()) return false;
            entry = std::move(*found);
            ready_.erase(found);
            // Taken (or outdated): not decoded again until it is wished for anew.
            wanted_.erase(std::remove(wanted_.begin(), wanted_.end(), file), wanted_.end());
        }
        if (!present || !(entry.stamp == now)) {
            if (entry.sprite != 0) freeSprite(entry.sprite);
            return false;
        }
        if (entry.sprite != 0) return detail::moveSprite(entry.sprite, number);
        return detail::adoptPicture(number, std::move(entry.picture), entry.ownAlpha);
    }

    bool ready(const std::string& file) {
        FileStamp now;
        if (!stampOf(file, now)) return false;
        std::lock_guard lock(mutex_);
        return std::any_of(ready_.begin(), ready_.end(),
                           [&](const Prefetched& p) { return p.file == file && p.stamp == now; });
    }

    bool waiting() {
        std::lock_guard lock(mutex_);
        return waiting_;
    }

    bool failed(const std::string& file) {
        std::lock_guard lock(mutex_);
        return std::any_of(failed_.begin(), failed_.end(), [&](const Failed& f) { return f.file == file; });
    }

    // Main thread: forgets every picture, frees the hidden sprites and ends the thread.
    void stop() {
        for (int sprite : halt()) freeSprite(sprite);
    }

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::string> wanted_;  // most wanted first
    std::vector<Prefetched> ready_;    // only the main thread removes entries
    std::vector<Failed> failed_;
    std::string decoding_;  // the file being decoded now, if any
    std::condition_variable decoded_;
    bool stopping_ = false;
    bool waiting_ = false;  // the thread waits for a new wish: it has done all the present one asks
    std::thread thread_;

    // Ends the thread and forgets everything; the hidden sprites still held are handed back.
    std::vector<int> halt() {
        std::vector<int> sprites;
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            wanted_.clear();
            for (const Prefetched& entry : ready_) {
                if (entry.sprite != 0) sprites.push_back(entry.sprite);
            }
            ready_.clear();
            failed_.clear();
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
        return sprites;
    }

    void dropUnwanted(std::vector<int>& droppedSprites) {
        auto unwanted = [&](const auto& entry) {
            return std::find(wanted_.begin(), wanted_.end(), entry.file) == wanted_.end();
        };
        for (const Prefetched& entry : ready_) {
            if (entry.sprite != 0 && unwanted(entry)) droppedSprites.push_back(entry.sprite);
        }
        std::erase_if(ready_, unwanted);
        std::erase_if(failed_, unwanted);
    }

    int freeHiddenSprite() const {
        int number = firstHiddenSprite;
        auto used = [&](const Prefetched& entry) { return entry.sprite == number; };
        while (std::any_of(ready_.begin(), ready_.end(), used)) --number;
        return number;
    }

    // Main thread, between two frames: the most wanted decoded picture becomes a hidden sprite with
    // its texture (not with the software renderer, which scales the pixels themselves), the work a
    // page turn would otherwise do in its frame. False when there was none.
    bool prepareOne() {
        Picture picture;
        bool ownAlpha = false;
        int number = 0;
        {
            std::lock_guard lock(mutex_);
            for (const std::string& file : wanted_) {
                auto found = std::find_if(ready_.begin(), ready_.end(), [&](const Prefetched& p) {
                    return p.file == file && p.sprite == 0;
                });
                if (found == ready_.end()) continue;
                number = freeHiddenSprite();
                found->sprite = number;
                picture = std::move(found->picture);
                ownAlpha = found->ownAlpha;
                break;
            }
        }
        if (number != 0 && detail::adoptPicture(number, std::move(picture), ownAlpha)) {
            detail::prepareTexture(number);
        }
        return number != 0;
    }

    // Main thread, between two frames: the most wanted picture, once a hidden sprite, is scaled to
    // the size it will be shown at, once for that size.
    void prepareMostWantedDisplay(const DisplaySizeRule& displaySize) {
        if (!displaySize) return;
        int number = 0;
        DisplaySize size;
        {
            std::lock_guard lock(mutex_);
            if (wanted_.empty()) return;
            auto found = std::find_if(ready_.begin(), ready_.end(), [&](const Prefetched& p) {
                return p.file == wanted_.front() && p.sprite != 0;
            });
            if (found == ready_.end()) return;
            size = displaySize(found->file, spriteOwnWidth(found->sprite), spriteOwnHeight(found->sprite));
            if (size.width == found->preparedSize.width && size.height == found->preparedSize.height) return;
            found->preparedSize = size;
            number = found->sprite;
        }
        detail::prepareDisplay(number, size.width, size.height);
    }

    bool known(const std::string& file) const {
        auto same = [&](const auto& entry) { return entry.file == file; };
        return std::any_of(ready_.begin(), ready_.end(), same) ||
               std::any_of(failed_.begin(), failed_.end(), same);
    }

    // The most wanted file neither decoded nor failed, or "" when there is none.
    std::string nextFile() const {
        for (const std::string& file : wanted_) {
            if (!known(file)) return file;
        }
        return {};
    }

    void run() {
        std::unique_lock lock(mutex_);
        while (!stopping_) {
            const std::string file = nextFile();
            if (file.empty() || ready_.size() >= mostPictures) {
                waiting_ = true;
                wake_.wait(lock);
                waiting_ = false;
                continue;
            }
            decoding_ = file;
            lock.unlock();
            Prefetched entry = decode(file);
            lock.lock();
            keep(std::move(entry));
            decoding_.clear();
            decoded_.notify_all();
        }
    }

    // The stamp is taken before and after reading: a file changed meanwhile counts as failed.
    static Prefetched decode(const std::string& file) {
        Prefetched entry;
        entry.file = file;
        FileStamp after;
        if (!stampOf(file, entry.stamp) || !decodeImageFile(file, entry.picture) || !stampOf(file, after) ||
            !(after == entry.stamp)) {
            entry.picture = Picture{};
            return entry;
        }
        entry.ownAlpha = detail::hasOwnAlpha(entry.picture);
        return entry;
    }

    // Kept only while still wanted: the wish may have moved on during the decode.
    void keep(Prefetched entry) {
        if (std::find(wanted_.begin(), wanted_.end(), entry.file) == wanted_.end()) return;
        if (entry.picture.pixels.empty()) {
            failed_.push_back(Failed{entry.file});
        } else {
            ready_.push_back(std::move(entry));
        }
    }
};

Prefetcher& prefetcher() {
    static Prefetcher instance;
    return instance;
}

}  // namespace

void prefetchImages(const std::vector<std::string>& files, const DisplaySizeRule& displaySize) {
    prefetcher().want(files, displaySize);
}

bool prefetchedImageReady(const std::string& file) {
    return prefetcher().ready(file);
}

bool prefetchFailed(const std::string& file) {
    return prefetcher().failed(file);
}

bool prefetchWaiting() {
    return prefetcher().waiting();
}

void stopPrefetch() {
    prefetcher().stop();
}

namespace detail {

bool takePrefetchedSprite(const std::string& imageFile, int number) {
    return prefetcher().take(imageFile, number);
}

}  // namespace detail

}  // namespace media
