// The process-wide text log: configured by KX_LOG.INI in the current
// directory, written as UTF-16 lines, closed with a summary.
#pragma once

#include "kxplatform.h"
#include "support/KXString.h"

class KXRecordLine;

// Record levels; LogLevel in KX_LOG.INI is a mask of them.
enum KXLogLevel {
    KXLOG_ERROR = 1,
    KXLOG_WARNING = 2,
    KXLOG_TRACE = 8,
};

class KX_LOGGER {
public:
    // Reads the configuration and opens the log file; GetLogger is the only caller.
    KX_LOGGER();
    // Writes the summary and closes the file when it is open.
    virtual ~KX_LOGGER();

    KX_LOGGER(const KX_LOGGER&) = delete;
    KX_LOGGER& operator=(const KX_LOGGER&) = delete;

    // printf-style 8-bit formats, widened first, so %s takes a wide string.
    // Each returns 1 when its level is enabled, 0 when the record is dropped.
    // LogError appends the text of the thread's last error and clears it.
    int LogError(const char* format, ...);
    int LogTrace(const char* format, ...);

    int WriteRecord(int level, CKXString message);
    int WriteLine(CKXString text);

    int OpenLogFile(CKXString name);
    CKXString GetModuleVersionName();
    CKXString GetDefaultLogFileName();
    int WriteSummary();
    CKXString FormatTime(__time64_t time);

private:
    // Starts the line of a record of `level`; false when that level writes none.
    bool StartRecord(KXRecordLine& line, int level) const;
    // Counts the record, ends its line and writes it.
    int FinishRecord(KXRecordLine& line, int level);
    // Appends the units at the end of the file; 1 even when no file is open.
    int WriteUnits(const WCHAR* units, unsigned int count);
    const CKXString& ModuleVersionName();
    const CKXString& DefaultLogFileName();

public:
    CKXString fileName;
    CKXString componentName;
    CKXString moduleName;
    HANDLE file;
    int opened;
    int warningCount;
    int errorCount;
    int logLevel;
};

// The process logger, created on first use.
KX_LOGGER* GetLogger();

// Deletes the process logger, if any, so that the next GetLogger creates a
// fresh one; the disk and partition objects call it when they end.
void DeleteProcessLogger();
