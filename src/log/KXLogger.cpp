#include "log/KXLogger.h"

#include "support/KXResource.h"

namespace {

KX_LOGGER* processLogger = nullptr;

const DWORD pathBufferLength = 2048;
const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
const DWORD shareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The configuration counts only when it could be opened for writing too: a
// read-only or locked KX_LOG.INI switches logging off. ERROR_SUCCESS when
// it counts, else why it does not.
DWORD ProbeConfiguration(const WCHAR* path)
{
    const KXUniqueFile probe(CreateFileW(path, readWrite, shareReadWrite, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.valid() ? ERROR_SUCCESS : GetLastError();
}

// The full name of a log file the logger may write: a file on a drive-letter
// path, without a stream. The configuration may come from whoever can write
// the folder an elevated client starts in, so shares, devices, pipes and
// streams are refused here, before anything looks them up; an empty name
// then leaves logging off.
CKXString WritableLogName(const CKXString& name)
{
    if (name.IsEmpty())
        return name;
    WCHAR full[2 * pathBufferLength + 16];
    const DWORD capacity = sizeof full / sizeof full[0];
    const DWORD length = GetFullPathNameW(name.Wide(), capacity, full, nullptr);
    if (length < 3 || length >= capacity)
        return CKXString();
    const WCHAR drive = full[0];
    if (!((drive >= 'A' && drive <= 'Z') || (drive >= 'a' && drive <= 'z')) || full[1] != ':' || full[2] != '\\')
        return CKXString();
    for (DWORD i = 2; i < length; ++i)
        if (full[i] == ':')
            return CKXString();
    return CKXString(full);
}

// What a name reached once it was opened: only a file, never a device, a
// pipe or a folder.
bool IsFileOnDisk(HANDLE file)
{
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const CKXString& path)
{
    WIN32_FIND_DATAW found;
    const KXUniqueFind search(FindFirstFileW(path.Wide(), &found));
    return search.valid();
}

// Creating the logger must not change the caller's last error: the failed call
// that a LogError right after GetLogger describes set it, not the probes here.
class LastErrorKeeper {
public:
    LastErrorKeeper() : saved(GetLastError()) {}
    ~LastErrorKeeper() { SetLastError(saved); }
    LastErrorKeeper(const LastErrorKeeper&) = delete;
    LastErrorKeeper& operator=(const LastErrorKeeper&) = delete;

private:
    DWORD saved;
};

} // namespace

KX_LOGGER::KX_LOGGER()
    : file(INVALID_HANDLE_VALUE), opened(0), warningCount(0), errorCount(0), logLevel(0)
{
    const LastErrorKeeper keeper;
    // Room for the folder, a backslash and "KX_LOG.INI".
    WCHAR configuration[pathBufferLength + 12] = {};
    const DWORD directoryLength = GetCurrentDirectoryW(pathBufferLength, configuration);
    if (directoryLength == 0 || directoryLength >= pathBufferLength) {
        // Without a current directory there is no configuration to look for.
        logLevel = KXLOG_ERROR | KXLOG_WARNING;
        return;
    }
    DWORD folderLength = directoryLength;
    if (configuration[folderLength - 1] != '\\')
        configuration[folderLength++] = '\\';
    const WCHAR iniName[] = KXW("KX_LOG.INI");
    for (unsigned int i = 0; i < sizeof iniName / sizeof iniName[0]; ++i)
        configuration[folderLength + i] = iniName[i];

    CKXString name;
    const DWORD probe = ProbeConfiguration(configuration);
    if (probe == ERROR_SUCCESS) {
        // The folder alone, for a moment.
        configuration[folderLength] = 0;
        const CKXString directory(configuration);
        configuration[folderLength] = iniName[0];
        const CKXString defaultName = directory + DefaultLogFileName();
        WCHAR value[pathBufferLength] = {};
        GetPrivateProfileStringW(KXW("LOG"), KXW("OutputFileNameKX"), defaultName.Wide(), value,
                                 pathBufferLength, configuration);
        name = value;
        unsigned int position = 0;
        if (!name.Find(KXW(":\\"), position, 0))
            name = directory + name;
    }
    // A file that is not there has no level to give: the default stands.
    const bool absent = probe == ERROR_FILE_NOT_FOUND || probe == ERROR_PATH_NOT_FOUND;
    logLevel = absent ? KXLOG_ERROR | KXLOG_WARNING
                      : static_cast<int>(GetPrivateProfileIntW(KXW("LOG"), KXW("LogLevel"),
                                                               KXLOG_ERROR | KXLOG_WARNING, configuration));
    OpenLogFile(WritableLogName(name));
}

KX_LOGGER::~KX_LOGGER()
{
    if (opened != 1)
        return;
    try {
        WriteSummary();
    } catch (...) {
        // Out of memory while composing the summary: the file is still closed.
    }
    opened = 0;
    CloseHandle(file);
    file = INVALID_HANDLE_VALUE;
}

int KX_LOGGER::OpenLogFile(CKXString name)
{
    if (name.IsEmpty())
        return 0;
    fileName = name;
    warningCount = 0;
    errorCount = 0;

    // Held here until nothing more can throw, so a failure closes the file.
    const bool exists = FileExists(fileName);
    KXUniqueFile opening(CreateFileW(fileName.Wide(), readWrite, shareReadWrite, nullptr,
                                     exists ? OPEN_ALWAYS : CREATE_NEW, 0, nullptr));
    if (opening.valid() && !IsFileOnDisk(opening.get()))
        opening.reset();
    if (!opening.valid())
        return 0;
    if (exists) {
        SetFilePointer(opening.get(), 0, nullptr, FILE_END);
    } else {
        const BYTE byteOrderMark[2] = {0xFF, 0xFE};
        DWORD written = 0;
        WriteFile(opening.get(), byteOrderMark, sizeof byteOrderMark, &written, nullptr);
    }
    moduleName = ModuleVersionName();
    file = opening.release();
    opened = 1;
    return opened;
}

// The module's file and its version resource stay as they are for the life of
// the process: read once, not for every logger.
const CKXString& KX_LOGGER::ModuleVersionName()
{
    static const CKXString name = GetModuleVersionName();
    return name;
}

const CKXString& KX_LOGGER::DefaultLogFileName()
{
    static const CKXString name = GetDefaultLogFileName();
    return name;
}

int KX_LOGGER::WriteLine(CKXString text)
{
    text += KXW("\r\n");
    return WriteUnits(text.Wide(), text.GetLength());
}

int KX_LOGGER::WriteUnits(const WCHAR* units, unsigned int count)
{
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, units, count * sizeof(WCHAR), &written, nullptr);
    return 1;
}

KX_LOGGER* GetLogger()
{
    if (!processLogger)
        processLogger = new KX_LOGGER();
    return processLogger;
}

void DeleteProcessLogger()
{
    KX_LOGGER* logger = processLogger;
    processLogger = nullptr;
    delete logger;
}
