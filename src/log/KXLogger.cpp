#include "log/KXLogger.h"

#include "support/KXResource.h"

namespace {

KX_LOGGER* processLogger = nullptr;

const DWORD pathBufferLength = 2048;
const DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
const DWORD shareReadWrite = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The configuration counts only when it could be opened for writing too: a
// read-only or locked KX_LOG.INI switches logging off.
bool ConfigurationPresent(const CKXString& path)
{
    const KXUniqueFile probe(CreateFileW(path.Wide(), readWrite, shareReadWrite, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    return probe.valid();
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
    WCHAR directoryBuffer[pathBufferLength] = {};
    const DWORD directoryLength = GetCurrentDirectoryW(pathBufferLength, directoryBuffer);
    if (directoryLength == 0 || directoryLength >= pathBufferLength) {
        // Without a current directory there is no configuration to look for.
        logLevel = KXLOG_ERROR | KXLOG_WARNING;
        return;
    }
    CKXString directory(directoryBuffer);
    if (directory.Right(1) != KXW("\\"))
        directory += KXW("\\");
    const CKXString configuration = directory + KXW("KX_LOG.INI");

    CKXString name;
    if (ConfigurationPresent(configuration)) {
        const CKXString defaultName = directory + GetDefaultLogFileName();
        WCHAR value[pathBufferLength] = {};
        GetPrivateProfileStringW(KXW("LOG"), KXW("OutputFileNameKX"), defaultName.Wide(), value,
                                 pathBufferLength, configuration.Wide());
        name = value;
        unsigned int position = 0;
        if (!name.Find(KXW(":\\"), position, 0))
            name = directory + name;
    }
    logLevel = static_cast<int>(GetPrivateProfileIntW(KXW("LOG"), KXW("LogLevel"), KXLOG_ERROR | KXLOG_WARNING,
                                                      configuration.Wide()));
    OpenLogFile(name);
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

    if (FileExists(fileName)) {
        file = CreateFileW(fileName.Wide(), readWrite, shareReadWrite, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            SetFilePointer(file, 0, nullptr, FILE_END);
    } else {
        file = CreateFileW(fileName.Wide(), readWrite, shareReadWrite, nullptr, CREATE_NEW, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            const BYTE byteOrderMark[2] = {0xFF, 0xFE};
            DWORD written = 0;
            WriteFile(file, byteOrderMark, sizeof byteOrderMark, &written, nullptr);
        }
    }

    opened = file != INVALID_HANDLE_VALUE ? 1 : 0;
    if (opened)
        moduleName = GetModuleVersionName();
    return opened;
}

int KX_LOGGER::WriteLine(CKXString text)
{
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    SetFilePointer(file, 0, nullptr, FILE_END);
    text += KXW("\r\n");
    DWORD written = 0;
    WriteFile(file, static_cast<const unsigned short*>(text), text.GetLength() * 2, &written, nullptr);
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
