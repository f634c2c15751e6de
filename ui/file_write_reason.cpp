#include "ui/file_write_reason.h"

#include <cerrno>
#include <system_error>

#include "catalogue/lang_text.h"
#include "catalogue/log_record.h"
#include "platform/profile.h"

namespace {

struct Words {
    const char* english;
    const char* chinese;
};

std::string Say(const Words& words) { return g_language == 2 ? words.chinese : words.english; }

// The few causes a user can act on get words of their own; the rest say what
// the system said.
const Words* WordsFor(int error) {
    static const Words kFull{"The disk is full.", "磁盘已满。"};
    static const Words kTooLarge{"The file is larger than this system allows.",
                                 "文件超出了系统允许的大小。"};
    static const Words kDenied{"Permission denied.", "没有权限。"};
    static const Words kReadOnlyDisk{"The disk is read-only.", "磁盘是只读的。"};
    static const Words kNoFolder{"The folder does not exist.", "文件夹不存在。"};
    static const Words kFolder{"The name is that of a folder.", "该名称是一个文件夹。"};
    static const Words kNotFile{"It is not a regular file.", "这不是普通文件。"};
    static const Words kIo{"The disk reported an input/output error.", "磁盘读写出错。"};
    static const Words kLongName{"The file name is too long.", "文件名太长。"};
    static const Words kLoop{"Too many symbolic links.", "符号链接过多。"};
    switch (error) {
        case ENOSPC:
        case EDQUOT:
            return &kFull;
        case EFBIG:
            return &kTooLarge;
        case EACCES:
        case EPERM:
            return &kDenied;
        case EROFS:
            return &kReadOnlyDisk;
        case ENOENT:
        case ENOTDIR:
            return &kNoFolder;
        case EISDIR:
            return &kFolder;
        case EINVAL:
            return &kNotFile;
        case EIO:
            return &kIo;
        case ENAMETOOLONG:
            return &kLongName;
        case ELOOP:
            return &kLoop;
        default:
            return nullptr;
    }
}

}  // namespace

std::string DescribeFileWriteFailure(const FileWriteFailure& failure) {
    if (failure.step == FileWriteStep::kReadOnly && failure.error == EACCES) {
        return Say({"The file is read-only.", "文件是只读的。"});
    }
    if (failure.step == FileWriteStep::kTooLarge) {
        const std::string mib = std::to_string(kMaxProfileFileBytes / (1024 * 1024));
        return Say({"The file would be larger than the ", "文件将超过本工具能读取的 "}) + mib +
               Say({" MiB this tool reads.", " MiB。"});
    }
    if (failure.step == FileWriteStep::kBadEntry) {
        return Say({"The setting holds a line break, which the file cannot keep.",
                    "设置中含有换行符，文件无法保存。"});
    }
    if (failure.step == FileWriteStep::kUnsafeLink) {
        return Say({"The name is a link that another user put in a shared folder.",
                    "该名称是其他用户放在共享文件夹中的链接。"});
    }
    if (failure.step == FileWriteStep::kLocked) {
        return Say({"Another program keeps the file locked.", "文件被另一个程序锁定。"});
    }
    if (const Words* words = WordsFor(failure.error)) return Say(*words);
    return Say({"The system reported: ", "系统报告："}) +
           std::generic_category().message(failure.error) + ".";
}

std::string ExportFailureMessage(const FileWriteFailure& failure) {
    const bool notCreated = failure.step == FileWriteStep::kOpen ||
                            failure.step == FileWriteStep::kReadOnly ||
                            failure.step == FileWriteStep::kUnsafeLink;
    const std::string what = notCreated ? GetLangText(TEXT_FAILED_OPEN_FILE)
                                        : Say({"Failed to save file", "保存文件失败"});
    return what + "\n" + DescribeFileWriteFailure(failure);
}

std::string SettingsNotSavedMessage(const std::string& file, const FileWriteFailure& failure) {
    return Say({"settings not saved to ", "设置未能保存到 "}) + file + ": " +
           DescribeFileWriteFailure(failure);
}

void LogSettingsNotSaved(const std::string& file, const FileWriteFailure& failure) {
    LogPrintf(LOG_ERROR, "%s", SettingsNotSavedMessage(file, failure).c_str());
}
