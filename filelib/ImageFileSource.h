// The bytes of an executable file for modPEImage, read at offsets through the platform
// layer (pread), so that only what the headers point at is ever read.
#pragma once

#include <string>
#include <system_error>
#include <vector>

#include "filelib/modPEImage.h"
#include "platform/Files.h"

class ImageFileSource final : public modPEImage::ImageSource {
public:
    // Opens `path` for reading; `error` tells whether that failed (the source then
    // delivers nothing).
    explicit ImageFileSource(const std::u16string& path) { error_ = platform::OpenFile(path, platform::FileOpenMode::Read, file_); }

    const std::error_code& error() const { return error_; }

    bool Read(std::uint64_t offset, std::size_t count, std::vector<std::uint8_t>& out) override
    {
        out.clear();
        if (error_) return false;
        out.resize(count);
        std::size_t got = 0;
        error_ = platform::ReadFileAt(file_, offset, out.data(), count, got);
        out.resize(got);
        return !error_;
    }

private:
    platform::File file_;
    std::error_code error_;
};
