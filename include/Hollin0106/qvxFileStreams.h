// qvxFileStreams and FileStream: the streams of one file or directory as the backup
// interface lists them: unnamed data, named (alternate) data streams, extended
// attributes, security data, object identifier, reparse data, ...
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <Hollin0106/Export.h>

namespace Hollin0106 {

// One stream: its identifier, attribute bits, size and name. Made only by
// qvxFileStreams; a caller may keep it after the collection goes away.
class HOLLIN0106_API FileStream {
public:
    std::int32_t StreamID() const { return static_cast<std::int32_t>(streamId_); }
    std::int32_t Attributes() const { return static_cast<std::int32_t>(attributes_); }
    // The 64-bit size as a double (a size of 2^63 or more comes out negative, as the
    // signed value it is on Windows).
    double Size() const { return size_; }
    // The name from the stream header: ":name:$DATA" for a named data stream,
    // "::$DATA" for the unnamed data, "" for the others.
    const std::u16string& Name() const { return name_; }
    // Name without everything up to the first ":" and from the next ":" on: the
    // stream's own name for a named data stream, "" for "::$DATA". A name without a
    // colon comes back unchanged.
    std::u16string ShortName() const;

    // True for the stream identifier each names.
    bool StreamIDInvalid() const { return streamId_ == 0; }
    bool StreamIDData() const { return streamId_ == 1; }
    bool StreamIDEAData() const { return streamId_ == 2; }
    bool StreamIDSecurityData() const { return streamId_ == 3; }
    bool StreamIDAlternateData() const { return streamId_ == 4; }
    bool StreamIDLink() const { return streamId_ == 5; }
    bool StreamIDPropertyData() const { return streamId_ == 6; }
    bool StreamIDObjectID() const { return streamId_ == 7; }
    bool StreamIDReparseData() const { return streamId_ == 8; }
    bool StreamIDSparseBlock() const { return streamId_ == 9; }

    // True when the stream attribute bit each names is set.
    bool AttributeModifiedWhenRead() const { return (attributes_ & 0x1) != 0; }
    bool AttributeContainsSecurity() const { return (attributes_ & 0x2) != 0; }
    bool AttributeContainsProperties() const { return (attributes_ & 0x4) != 0; }
    bool AttributeSparseAttribute() const { return (attributes_ & 0x8) != 0; }

private:
    friend class qvxFileStreams;
    FileStream() = default;
    // `nameBuffer` is the whole name buffer: the name's bytes, then zeros.
    void InitFromStreamHeader(std::uint32_t streamId, std::uint32_t attributes, std::uint32_t sizeLow,
                              std::uint32_t sizeHigh, std::uint32_t nameSize,
                              std::span<const std::uint8_t> nameBuffer);

    std::uint32_t streamId_ = 0;
    std::uint32_t attributes_ = 0;
    double size_ = 0;
    std::u16string name_;
};

// The stream list of one entry, in the order the backup interface delivers it.
class HOLLIN0106_API qvxFileStreams {
public:
    using const_iterator = std::vector<std::shared_ptr<FileStream>>::const_iterator;

    // The number of streams. Count, Item, begin and end raise error 91 after a
    // ReadFileStreams that could not build its list (out of memory), until the next one.
    std::int32_t Count() const;
    // The stream at the 0-based `Index`; error 9 outside 0..Count-1.
    std::shared_ptr<FileStream> Item(std::int32_t Index) const;
    const_iterator begin() const;
    const_iterator end() const;

    // Replaces the list with the streams of `FileName` (the entry itself: a link or
    // junction is not followed). The security data stream is listed only with
    // ProcessSecurity. False, with an empty list, when the entry cannot be opened for
    // reading (missing, no permission); a sequence that breaks off (a read error, a
    // name longer than the 524-byte name buffer) ends the list there and still gives True.
    bool ReadFileStreams(const std::u16string& FileName, bool ProcessSecurity = false);

private:
    void CheckList() const;

    std::vector<std::shared_ptr<FileStream>> items_;
    bool dropped_ = false;
};

}  // namespace Hollin0106
