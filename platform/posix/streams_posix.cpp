// POSIX backend of the stream sequence: the backup interface's stream headers built
// from lstat and extended attributes, for names of any length. ntfs-3g
// (streams_interface=xattr) shows each named data stream as user.NAME and hands out the
// NTFS attributes that Windows backs up as their own streams under system.ntfs_* names;
// other file systems have user.* only.
#include "platform/BackupStreams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/Utf16.h"
#include "platform/posix/posix_internal.h"

namespace platform {

using namespace posix;

namespace {

// Stream identifiers of the backup interface.
constexpr std::uint32_t kStreamData = 1;
constexpr std::uint32_t kStreamEA = 2;
constexpr std::uint32_t kStreamSecurity = 3;
constexpr std::uint32_t kStreamAlternateData = 4;
constexpr std::uint32_t kStreamObjectId = 7;
constexpr std::uint32_t kStreamReparse = 8;

bool Absent(int e)
{
    return e == ENODATA || e == ENOTSUP || e == EOPNOTSUPP;
}

// The value of the attribute `name` of the entry itself. False with `ec` clear when the
// entry has no such attribute (or the file system none at all).
bool ReadAttribute(const SystemName& entry, const char* name, std::vector<std::uint8_t>& value, std::error_code& ec)
{
    const std::error_code got = GetXattrValue(entry, FinalLink::Entry, name, value);
    if (!got) return true;
    if (!Absent(got.value())) ec = got;
    return false;
}

// The names of the entry's attributes, each ending in a zero byte.
std::error_code ListAttributes(const SystemName& entry, std::vector<char>& names)
{
    const std::error_code ec = ListXattr(entry, FinalLink::Entry, names);
    return ec && Absent(ec.value()) ? std::error_code() : ec;
}

}  // namespace

struct BackupReader::State {
    struct Stream {
        std::vector<std::uint8_t> head;   // header and name
        std::uint64_t size = 0;
        std::vector<std::uint8_t> value;  // the data of an attribute stream
        bool fileData = false;            // the data is the file's content (fd)
    };

    // The file's own content, read from fd when the caller gets there.
    void AddFileData(std::uint64_t size) { Add(kStreamData, {}, size, {}, true); }

    // A stream whose data is held here. Its size is taken before the value moves: a call
    // that passed both value.size() and std::move(value) depends on the order in which the
    // compiler evaluates the arguments (GCC moves first).
    void AddValue(std::uint32_t id, std::u16string_view name, std::vector<std::uint8_t> value)
    {
        const std::uint64_t size = value.size();
        Add(id, name, size, std::move(value), false);
    }

    void Add(std::uint32_t id, std::u16string_view name, std::uint64_t size, std::vector<std::uint8_t> value,
             bool fileData)
    {
        Stream s;
        const std::uint64_t nameBytes = name.size() * 2;
        auto put = [&s](std::uint64_t v, int width) {
            for (int i = 0; i < width; ++i) s.head.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        put(id, 4);
        put(0, 4);  // attributes
        put(size, 8);
        put(nameBytes, 4);
        for (char16_t c : name) put(c, 2);
        s.size = size;
        s.value = std::move(value);
        s.fileData = fileData;
        streams.push_back(std::move(s));
    }

    ~State()
    {
        if (fd != -1) ::close(fd);
    }

    std::vector<Stream> streams;
    std::size_t index = 0;      // current stream
    std::uint64_t offset = 0;   // within its header, name and data
    int fd = -1;                // the file itself, for the unnamed data
};

BackupReader::BackupReader() : state_(new State) {}

BackupReader::~BackupReader()
{
    delete state_;
}

std::error_code BackupReader::Read(std::uint8_t* buffer, std::size_t count, std::size_t& got)
{
    got = 0;
    if (state_ == nullptr) return {};
    State& st = *state_;
    while (got < count && st.index < st.streams.size()) {
        State::Stream& s = st.streams[st.index];
        const std::uint64_t headSize = s.head.size();
        const std::size_t want = count - got;
        if (st.offset < headSize) {
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(want, headSize - st.offset));
            std::memcpy(buffer + got, s.head.data() + st.offset, n);
            got += n;
            st.offset += n;
        } else if (st.offset - headSize < s.size) {
            const std::uint64_t at = st.offset - headSize;
            const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(want, s.size - at));
            if (s.fileData) {
                const ssize_t r = ::pread(st.fd, buffer + got, n, static_cast<off_t>(at));
                if (r < 0) return LastError();
                // The file shrank since the header was made: the sequence cannot go on.
                if (r == 0) return std::make_error_code(std::errc::io_error);
                got += static_cast<std::size_t>(r);
                st.offset += static_cast<std::uint64_t>(r);
            } else {
                std::memcpy(buffer + got, s.value.data() + at, n);
                got += n;
                st.offset += n;
            }
        }
        if (st.offset >= headSize + s.size) {
            ++st.index;
            st.offset = 0;
        }
    }
    return {};
}

std::uint64_t BackupReader::Seek(std::uint64_t count)
{
    if (state_ == nullptr || state_->index >= state_->streams.size()) return 0;
    State& st = *state_;
    const State::Stream& s = st.streams[st.index];
    const std::uint64_t headSize = s.head.size();
    // Like BackupSeek: only data can be skipped, and only up to the stream's end.
    if (st.offset < headSize) return 0;
    const std::uint64_t moved = std::min(count, s.size - (st.offset - headSize));
    st.offset += moved;
    if (st.offset >= headSize + s.size) {
        ++st.index;
        st.offset = 0;
    }
    return moved;
}

std::error_code OpenBackupReader(const std::u16string& path, bool processSecurity, BackupReader& reader)
{
    reader = BackupReader();
    BackupReader fresh;
    BackupReader::State& st = *fresh.state_;
    SystemName native;
    if (const std::error_code ec = ToSystemName(path, native)) return ec;
    struct stat sb{};
    if (const std::error_code ec = StatAt(native, sb, AT_SYMLINK_NOFOLLOW)) return ec;

    // Opened for reading like the backup interface's own open, so an entry the caller
    // may not read is refused here. Devices and FIFOs are not opened (opening has side
    // effects on some), nor links, which are never followed.
    if (S_ISREG(sb.st_mode) || S_ISDIR(sb.st_mode)) {
        st.fd = ::openat(native.dir(), native.name(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (st.fd < 0) return LastError();
    }

    std::error_code ec;
    std::vector<std::uint8_t> word;
    const bool ntfs = ReadAttribute(native, "system.ntfs_attrib", word, ec) && word.size() == 4;
    if (ec) return ec;
    // ntfs-3g shows a junction as a link; its directory bit is in the attribute word.
    const bool directory = ntfs ? (word[0] & 0x10) != 0 : S_ISDIR(sb.st_mode);

    if (!directory) {
        // A link's own data is empty on NTFS: its text lives in the reparse data.
        const std::uint64_t size = S_ISREG(sb.st_mode) ? static_cast<std::uint64_t>(sb.st_size) : 0;
        st.AddFileData(size);
    }
    auto addAttribute = [&](std::uint32_t id, const char* name) {
        std::vector<std::uint8_t> value;
        if (ReadAttribute(native, name, value, ec)) st.AddValue(id, {}, std::move(value));
    };
    if (ntfs) addAttribute(kStreamEA, "system.ntfs_ea");
    if (ntfs && processSecurity) addAttribute(kStreamSecurity, "system.ntfs_acl");
    if (ec) return ec;

    std::vector<char> names;
    if ((ec = ListAttributes(native, names))) return ec;
    for (std::size_t at = 0; at < names.size();) {
        const std::string name(names.data() + at);
        at += name.size() + 1;
        if (name.rfind("user.", 0) != 0) continue;
        std::vector<std::uint8_t> value;
        if (!ReadAttribute(native, name.c_str(), value, ec)) {
            if (ec) return ec;
            continue;  // removed in between
        }
        const std::u16string streamName = u":" + FromNativePath(std::string_view(name).substr(5)) + u":$DATA";
        st.AddValue(kStreamAlternateData, streamName, std::move(value));
    }

    if (ntfs) addAttribute(kStreamObjectId, "system.ntfs_object_id");
    if (ntfs) addAttribute(kStreamReparse, "system.ntfs_reparse_data");
    if (ec) return ec;
    reader = std::move(fresh);
    return {};
}

}  // namespace platform
