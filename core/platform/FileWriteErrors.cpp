#include "core/platform/FileWriteErrors.h"

#include "core/platform/FileIo.h"

#include <string>

namespace orlo {

namespace {

class FileWriteCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "orlo.file-write"; }
    std::string message(int value) const override {
        switch (static_cast<FileWriteRefusal>(value)) {
        case FileWriteRefusal::NotRegularFile:
            return "not a regular file (a device, FIFO or socket), so it is not replaced";
        case FileWriteRefusal::UnsafeLink:
            return "a symbolic link in a shared sticky folder, owned by another user, is not followed";
        }
        return "file write refused";
    }
};

// Keeps the system's value so that the error still compares equal to its portable condition.
class FolderCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "orlo.folder"; }
    std::string message(int value) const override { return std::generic_category().message(value); }
    std::error_condition default_error_condition(int value) const noexcept override {
        return {value, std::generic_category()};
    }
};

const FolderCategory& TheFolderCategory() {
    static const FolderCategory category;
    return category;
}

} // namespace

std::error_code make_error_code(FileWriteRefusal refusal) {
    static const FileWriteCategory category;
    return {static_cast<int>(refusal), category};
}

std::error_code FolderError(const std::error_code& error) {
    const std::error_condition portable = error.default_error_condition();
    if (portable.category() != std::generic_category()) {
        return error; // no portable form to carry
    }
    return {portable.value(), TheFolderCategory()};
}

bool IsFolderError(const std::error_code& error) {
    return error.category() == TheFolderCategory();
}

} // namespace orlo
