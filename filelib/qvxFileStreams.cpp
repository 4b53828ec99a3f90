// qvxFileStreams: the stream walk over the platform's backup stream sequence.
#include <Hollin0106/qvxFileStreams.h>

#include <new>

#include <Hollin0106/AutomationError.h>
#include "filelib/modStreamWalk.h"
#include "platform/BackupStreams.h"
#include "support/quovixsupport.h"
#include "support/quovixsupportfbe.h"

namespace Hollin0106 {

namespace {

constexpr std::int32_t kObjectNotSet = 91;

// BackupRead and BackupSeek of the platform's context.
class PlatformSource : public modStreamWalk::IStreamSource {
public:
    explicit PlatformSource(platform::BackupReader& reader) : reader_(reader) {}
    bool Read(std::uint8_t* buffer, std::size_t count, std::size_t& got) override
    {
        return !reader_.Read(buffer, count, got);
    }
    void Seek(std::uint64_t count) override { reader_.Seek(count); }

private:
    platform::BackupReader& reader_;
};

}  // namespace

std::u16string FileStream::ShortName() const
{
    const std::size_t first = name_.find(u':');
    if (first == std::u16string::npos) return name_;
    const std::u16string rest = name_.substr(first + 1);
    return rest.substr(0, rest.find(u':'));
}

void FileStream::InitFromStreamHeader(std::uint32_t streamId, std::uint32_t attributes, std::uint32_t sizeLow,
                                      std::uint32_t sizeHigh, std::uint32_t nameSize,
                                      std::span<const std::uint8_t> nameBuffer)
{
    streamId_ = streamId;
    attributes_ = attributes;
    size_ = asLargeIntegerToDouble(sizeLow, sizeHigh);
    if (nameSize != 0)
        name_ = asGetStringFromPointerW(nameBuffer);
    else if (streamId == 1)
        name_ = u"::$DATA";
}

void qvxFileStreams::CheckList() const
{
    if (dropped_)
        throw AutomationError(kObjectNotSet, u"qvxFileStreams", u"Object variable or With block variable not set");
}

std::int32_t qvxFileStreams::Count() const
{
    CheckList();
    return static_cast<std::int32_t>(items_.size());
}

std::shared_ptr<FileStream> qvxFileStreams::Item(std::int32_t Index) const
{
    CheckList();
    if (Index < 0 || static_cast<std::size_t>(Index) >= items_.size())
        throw AutomationError(errnum::SubscriptOutOfRange, u"qvxFileStreams");
    return items_[static_cast<std::size_t>(Index)];
}

qvxFileStreams::const_iterator qvxFileStreams::begin() const
{
    CheckList();
    return items_.begin();
}

qvxFileStreams::const_iterator qvxFileStreams::end() const
{
    CheckList();
    return items_.end();
}

bool qvxFileStreams::ReadFileStreams(const std::u16string& FileName, bool ProcessSecurity)
{
    items_.clear();
    dropped_ = false;
    if (!esIsHostWinNT()) return false;
    platform::BackupReader reader;
    if (platform::OpenBackupReader(FileName, ProcessSecurity, reader)) return false;
    PlatformSource source(reader);
    try {
        modStreamWalk::WalkStreams(source, [this](const modStreamWalk::StreamHeader& h,
                                                  std::span<const std::uint8_t> name) {
            std::shared_ptr<FileStream> stream(new FileStream);
            stream->InitFromStreamHeader(h.StreamID, h.Attributes, h.SizeLow, h.SizeHigh, h.NameSize, name);
            items_.push_back(std::move(stream));
        });
    } catch (const std::bad_alloc&) {
        items_.clear();
        dropped_ = true;
        return false;
    }
    return true;
}

}  // namespace Hollin0106
