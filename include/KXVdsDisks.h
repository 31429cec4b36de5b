/*
 * KXVdsDisks public interface.
 *
 * A client obtains a disk object from GetVdsDiskInterface(), selects a physical
 * disk with Connect(n) and ends every object it receives with Release().
 * Objects are not reference counted: Release() destroys the object at once.
 *
 * The interfaces are called through fixed virtual-table slots with the
 * Microsoft 32-bit C++ ABI (__thiscall), so the order of the declarations
 * below is part of the binary contract and must never change.
 *
 * Slot 0 of both interfaces is the scalar deleting destructor:
 * void* (unsigned int flags), bit 0 set = also free the memory. A client
 * compiled with Microsoft's compiler sees it as the virtual destructor of
 * CKXObject; every other compiler sees it as an ordinary virtual function,
 * because GCC and Clang (Itanium ABI) give a virtual destructor two slots.
 *
 * Reading the outcome an object recorded: every operation that returns a
 * KXHRESULT also records it (or, for some operations, only its failures) in
 * the object's error holder; KXGetRecordedResult() below reads it back.
 *
 * Valid C++98; no Windows header is needed.
 */
#ifndef KXVDSDISKS_H
#define KXVDSDISKS_H

#if defined(_MSC_VER) && !defined(__GNUC__)
typedef unsigned __int64 KXUINT64;
#else
typedef unsigned long long KXUINT64;
#endif

#if defined(_WIN32)
typedef long KXHRESULT;        /* same type as the platform's HRESULT */
typedef wchar_t KXWCHAR;       /* UTF-16 code unit */
#else
typedef int KXHRESULT;
typedef char16_t KXWCHAR;
#endif

#if defined(_WIN32)
#  define KXVDS_IMPORT __declspec(dllimport)
#  if defined(KXVDSDISKS_BUILD)
#    undef KXVDS_IMPORT
#    define KXVDS_IMPORT
#  endif
#else
#  define KXVDS_IMPORT __attribute__((visibility("default")))
#endif

/* Size and geometry of the selected disk: 24 bytes, 8-byte aligned.
   Bytes 20 to 23 are padding that the library never writes. */
#if defined(_MSC_VER) && !defined(__GNUC__)
struct DiskProperties
#else
struct __attribute__((aligned(8))) DiskProperties
#endif
{
    KXUINT64 ullSize;                 /* offset 0: disk size in bytes */
    unsigned int ulBytesPerSector;    /* offset 8 */
    unsigned int ulSectorsPerTrack;   /* offset 12 */
    unsigned int ulTracksPerCylinder; /* offset 16 */
};

/* Compile-time layout checks that C++98 accepts. */
typedef char KXDiskPropertiesIs24Bytes[sizeof(DiskProperties) == 24 ? 1 : -1];
typedef char KXDiskPropertiesIs8Aligned[__alignof(DiskProperties) == 8 ? 1 : -1];

class IKXVdsPartition;

class CKXObject
{
public:
#if defined(_MSC_VER) && !defined(__GNUC__)
    /* slot 0: MSVC emits the scalar deleting destructor here */
    virtual ~CKXObject() {}
#else
    /* slot 0: scalar deleting destructor; bit 0 of flags frees the memory */
    virtual void* KXDeletingDestructor(unsigned int flags) = 0;
#endif
    /* slot 1: interface version, always 1 */
    virtual int GetVersion() = 0;
};

class IKXVdsDisk : public CKXObject
{
public:
    /* slot 2: loads the disk service and selects physical disk diskNumber;
       S_OK, or E_NOINTERFACE (0x80004002) when no such disk exists */
    virtual KXHRESULT Connect(int diskNumber) = 0;
    /* slot 3: fills the caller's record; E_NOINTERFACE before Connect,
       E_INVALIDARG (0x80070057) for an unwritable record or a failed read */
    virtual KXHRESULT GetDiskProperties(DiskProperties* properties) = 0;
    /* slot 4: nonzero while a disk is selected */
    virtual int IsConnected() = 0;
    /* slot 5: number of partitions; 0 when unknown */
    virtual int GetPartitionCount() = 0;
    /* slot 6: new partition object by index in the service's order */
    virtual KXHRESULT GetPartition(int index, IKXVdsPartition** partition) = 0;
    /* slot 7: new partition object for the partition starting at offset */
    virtual KXHRESULT GetPartitionByOffset(KXUINT64 offset, IKXVdsPartition** partition) = 0;
    /* slot 8: new partition object by partition number */
    virtual KXHRESULT GetPartitionByNumber(unsigned int number, IKXVdsPartition** partition) = 0;
    /* slot 9: creates an MBR partition clear of existing ones, gives its
       volume a free drive letter and reports where it really starts */
    virtual KXHRESULT CreatePartition(KXUINT64 offset, KXUINT64 size, unsigned char type,
                                      unsigned char active, KXUINT64* newOffset) = 0;
    /* slot 10: destroys the object */
    virtual void Release() = 0;
};

class IKXVdsPartition : public CKXObject
{
public:
    /* Text buffers: capacity in 16-bit units, terminator included. With a
       capacity above 0 at most capacity-1 units and a zero are written (a
       longer text is cut); with 0 or less the buffer is left untouched. */

    /* slot 2: the service's name of the volume on this partition */
    virtual KXHRESULT GetVolumeName(KXWCHAR* buffer, int capacity) = 0;
    /* slot 3: partition start in bytes */
    virtual KXUINT64 GetOffset() = 0;
    /* slot 4: first byte after the partition */
    virtual KXUINT64 GetEndOffset() = 0;
    /* slot 5: partition length in bytes, as when the object was made */
    virtual KXUINT64 GetSize() = 0;
    /* slot 6: bytes in use on the volume's file system; 0 when unknown */
    virtual KXUINT64 GetUsedSpace() = 0;
    /* slot 7: MBR partition type byte */
    virtual int GetPartitionType() = 0;
    /* slot 8: MBR boot indicator byte */
    virtual int IsActive() = 0;
    /* slot 9: 0 for a logical drive inside the extended partition, else 1 */
    virtual int IsPrimary() = 0;
    /* slot 10: 1 when the volume's boot sector carries the tag "RECOVERY" */
    virtual int IsRecovery() = 0;
    /* slot 11: partition number */
    virtual unsigned int GetPartitionNumber() = 0;
    /* slot 12: re-reads the access paths and returns the first;
       0x80070103 when the volume has none */
    virtual KXHRESULT GetFirstAccessPath(KXWCHAR* buffer, int capacity) = 0;
    /* slot 13: the next access path of the last read; 0x80070103 at the end */
    virtual KXHRESULT GetNextAccessPath(KXWCHAR* buffer, int capacity) = 0;
    /* slot 14: adds an access path (drive root such as "E:\" or a folder) */
    virtual KXHRESULT AddMountPoint(const KXWCHAR* path) = 0;
    /* slot 15: removes an access path */
    virtual KXHRESULT DeleteMountPoint(const KXWCHAR* path) = 0;
    /* slot 16: shrinks the volume by byteCount bytes and waits */
    virtual KXHRESULT Shrink(KXUINT64 byteCount) = 0;
    /* slot 17: formats with "FAT", "FAT32" or NTFS (any other name) and waits;
       "exFAT" is refused with E_NOTIMPL (0x80004001) */
    virtual KXHRESULT Format(const KXWCHAR* fileSystem, const KXWCHAR* label, int quick) = 0;
    /* slot 18: destroys the object */
    virtual void Release() = 0;
};

/* The only export. Returns a new, unconnected disk object, or null when it
   cannot be made. */
KXVDS_IMPORT IKXVdsDisk* GetVdsDiskInterface();

/* The outcome code that the object's last recording operation stored (an
   HRESULT, or 0x10000006 from CreatePartition for an unwritable out-pointer).
   The error holder follows the virtual-table pointer: its own table pointer,
   then the 32-bit code. */
inline unsigned int KXGetRecordedResult(const CKXObject* object)
{
    return *reinterpret_cast<const unsigned int*>(
        reinterpret_cast<const char*>(object) + 2 * sizeof(void*));
}

#endif /* KXVDSDISKS_H */
