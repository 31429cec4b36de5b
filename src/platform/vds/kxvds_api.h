// The Virtual Disk Service as the library and the emulator see it: the class,
// the interfaces with every method in its vtable slot, the records and the
// codes. Declared here rather than taken from the toolchain, whose headers
// either lack the interfaces or have none of it; docs/vds-declarations.md
// says where each slot, GUID and layout was checked.
//
// Included by kxplatform.h after the system's (or the portable) Win32 types.
#pragma once

#include <cstddef>

// ---- identifiers -------------------------------------------------------------
typedef GUID VDS_OBJECT_ID;

extern const CLSID CLSID_VdsLoader;
extern const CLSID CLSID_VdsService;
extern const IID IID_IVdsServiceLoader;
extern const IID IID_IVdsService;
extern const IID IID_IVdsProvider;
extern const IID IID_IVdsSwProvider;
extern const IID IID_IVdsPack;
extern const IID IID_IVdsDisk;
extern const IID IID_IVdsAdvancedDisk;
extern const IID IID_IVdsCreatePartitionEx;
extern const IID IID_IVdsAsync;
extern const IID IID_IVdsVolume;
extern const IID IID_IVdsVolumeMF;
extern const IID IID_IEnumVdsObject;

// ---- enumerations ------------------------------------------------------------
enum VDS_OBJECT_TYPE {
    VDS_OT_UNKNOWN = 0,
    VDS_OT_PROVIDER = 1,
    VDS_OT_PACK = 10,
    VDS_OT_VOLUME = 11,
    VDS_OT_VOLUME_PLEX = 12,
    VDS_OT_DISK = 13,
    VDS_OT_SUB_SYSTEM = 30,
    VDS_OT_CONTROLLER = 31,
    VDS_OT_DRIVE = 32,
    VDS_OT_LUN = 33,
    VDS_OT_LUN_PLEX = 34,
    VDS_OT_PORT = 35,
    VDS_OT_PORTAL = 36,
    VDS_OT_TARGET = 37,
    VDS_OT_PORTAL_GROUP = 38,
    VDS_OT_STORAGE_POOL = 39,
    VDS_OT_HBAPORT = 90,
    VDS_OT_INIT_ADAPTER = 91,
    VDS_OT_INIT_PORTAL = 92,
    VDS_OT_ASYNC = 100,
    VDS_OT_ENUM = 101,
    VDS_OT_VDISK = 200,
    VDS_OT_OPEN_VDISK = 201
};

// IVdsService::QueryProviders masks.
enum VDS_QUERY_PROVIDER_FLAG {
    VDS_QUERY_SOFTWARE_PROVIDERS = 0x1,
    VDS_QUERY_HARDWARE_PROVIDERS = 0x2,
    VDS_QUERY_VIRTUALDISK_PROVIDERS = 0x4
};

enum VDS_SERVICE_FLAG {
    VDS_SVF_SUPPORT_DYNAMIC = 0x1,
    VDS_SVF_SUPPORT_FAULT_TOLERANT = 0x2,
    VDS_SVF_SUPPORT_GPT = 0x4,
    VDS_SVF_SUPPORT_DYNAMIC_1394 = 0x8,
    VDS_SVF_CLUSTER_SERVICE_CONFIGURED = 0x10,
    VDS_SVF_AUTO_MOUNT_OFF = 0x20,
    VDS_SVF_OS_UNINSTALL_VALID = 0x40,
    VDS_SVF_EFI = 0x80,
    VDS_SVF_SUPPORT_MIRROR = 0x100,
    VDS_SVF_SUPPORT_RAID5 = 0x200,
    VDS_SVF_SUPPORT_REFS = 0x400
};

enum VDS_PROVIDER_TYPE {
    VDS_PT_UNKNOWN = 0,
    VDS_PT_SOFTWARE = 1,
    VDS_PT_HARDWARE = 2,
    VDS_PT_VIRTUALDISK = 3,
    VDS_PT_MAX = 4
};

enum VDS_PACK_STATUS {
    VDS_PS_UNKNOWN = 0,
    VDS_PS_ONLINE = 1,
    VDS_PS_OFFLINE = 4
};

enum VDS_PACK_FLAG {
    VDS_PKF_FOREIGN = 0x1,
    VDS_PKF_NOQUORUM = 0x2,
    VDS_PKF_POLICY = 0x4,
    VDS_PKF_CORRUPTED = 0x8,
    VDS_PKF_ONLINE_ERROR = 0x10
};

enum VDS_DISK_STATUS {
    VDS_DS_UNKNOWN = 0,
    VDS_DS_ONLINE = 1,
    VDS_DS_NOT_READY = 2,
    VDS_DS_NO_MEDIA = 3,
    VDS_DS_OFFLINE = 4,
    VDS_DS_FAILED = 5,
    VDS_DS_MISSING = 6
};

enum VDS_LUN_RESERVE_MODE {
    VDS_LRM_NONE = 0,
    VDS_LRM_EXCLUSIVE_RW = 1,
    VDS_LRM_EXCLUSIVE_RO = 2,
    VDS_LRM_SHARED_RO = 3,
    VDS_LRM_SHARED_RW = 4
};

enum VDS_HEALTH {
    VDS_H_UNKNOWN = 0,
    VDS_H_HEALTHY = 1,
    VDS_H_REBUILDING = 2,
    VDS_H_STALE = 3,
    VDS_H_FAILING = 4,
    VDS_H_FAILING_REDUNDANCY = 5,
    VDS_H_FAILED_REDUNDANCY = 6,
    VDS_H_FAILED_REDUNDANCY_FAILING = 7,
    VDS_H_FAILED = 8,
    VDS_H_REPLACED = 9,
    VDS_H_PENDING_FAILURE = 10,
    VDS_H_DEGRADED = 11
};

enum VDS_STORAGE_BUS_TYPE {
    VDSBusTypeUnknown = 0,
    VDSBusTypeScsi = 0x1,
    VDSBusTypeAtapi = 0x2,
    VDSBusTypeAta = 0x3,
    VDSBusType1394 = 0x4,
    VDSBusTypeSsa = 0x5,
    VDSBusTypeFibre = 0x6,
    VDSBusTypeUsb = 0x7,
    VDSBusTypeRAID = 0x8,
    VDSBusTypeiScsi = 0x9,
    VDSBusTypeSas = 0xa,
    VDSBusTypeSata = 0xb,
    VDSBusTypeSd = 0xc,
    VDSBusTypeMmc = 0xd,
    VDSBusTypeMax = 0xe,
    VDSBusTypeVirtual = 0xe,
    VDSBusTypeFileBackedVirtual = 0xf,
    VDSBusTypeSpaces = 0x10,
    VDSBusTypeNVMe = 0x11,
    VDSBusTypeScm = 0x12,
    VDSBusTypeUfs = 0x13,
    VDSBusTypeMaxReserved = 0x7f
};

enum VDS_DISK_FLAG {
    VDS_DF_AUDIO_CD = 0x1,
    VDS_DF_HOTSPARE = 0x2,
    VDS_DF_RESERVE_CAPABLE = 0x4,
    VDS_DF_MASKED = 0x8,
    VDS_DF_STYLE_CONVERTIBLE = 0x10,
    VDS_DF_CLUSTERED = 0x20,
    VDS_DF_READ_ONLY = 0x40,
    VDS_DF_SYSTEM_DISK = 0x80,
    VDS_DF_BOOT_DISK = 0x100,
    VDS_DF_PAGEFILE_DISK = 0x200,
    VDS_DF_HIBERNATIONFILE_DISK = 0x400,
    VDS_DF_CRASHDUMP_DISK = 0x800,
    VDS_DF_HAS_ARC_PATH = 0x1000,
    VDS_DF_DYNAMIC = 0x2000,
    VDS_DF_BOOT_FROM_DISK = 0x4000,
    VDS_DF_CURRENT_READ_ONLY = 0x8000,
    VDS_DF_REFS_NOT_SUPPORTED = 0x10000
};

// The partition style of disks, partitions and creation parameters: MBR is 1.
enum VDS_PARTITION_STYLE {
    VDS_PST_UNKNOWN = 0,
    VDS_PST_MBR = 1,
    VDS_PST_GPT = 2
};

// A second, unrelated enumeration whose constants read like the first but count
// from 0 (its MBR is 0, which is VDS_PST_UNKNOWN above). None of the records
// below carries it; being a distinct enum type, its constants cannot be stored
// into a VDS_PARTITION_STYLE field by mistake.
enum __VDS_PARTITION_STYLE {
    VDS_PARTITION_STYLE_MBR = 0,
    VDS_PARTITION_STYLE_GPT = 1,
    VDS_PARTITION_STYLE_RAW = 2
};

enum VDS_PARTITION_FLAG {
    VDS_PTF_SYSTEM = 0x1
};

enum VDS_DISK_EXTENT_TYPE {
    VDS_DET_UNKNOWN = 0,
    VDS_DET_FREE = 1,
    VDS_DET_DATA = 2,
    VDS_DET_OEM = 3,
    VDS_DET_ESP = 4,
    VDS_DET_MSR = 5,
    VDS_DET_LDM = 6,
    VDS_DET_CLUSTER = 7,
    VDS_DET_UNUSABLE = 0x7fff
};

enum VDS_VOLUME_TYPE {
    VDS_VT_UNKNOWN = 0,
    VDS_VT_SIMPLE = 10,
    VDS_VT_SPAN = 11,
    VDS_VT_STRIPE = 12,
    VDS_VT_MIRROR = 13,
    VDS_VT_PARITY = 14
};

enum VDS_VOLUME_STATUS {
    VDS_VS_UNKNOWN = 0,
    VDS_VS_ONLINE = 1,
    VDS_VS_NO_MEDIA = 3,
    VDS_VS_OFFLINE = 4,
    VDS_VS_FAILED = 5
};

enum VDS_TRANSITION_STATE {
    VDS_TS_UNKNOWN = 0,
    VDS_TS_STABLE = 1,
    VDS_TS_EXTENDING = 2,
    VDS_TS_SHRINKING = 3,
    VDS_TS_RECONFIGING = 4,
    VDS_TS_RESTRIPING = 5
};

enum VDS_VOLUME_FLAG {
    VDS_VF_SYSTEM_VOLUME = 0x1,
    VDS_VF_BOOT_VOLUME = 0x2,
    VDS_VF_ACTIVE = 0x4,
    VDS_VF_READONLY = 0x8,
    VDS_VF_HIDDEN = 0x10,
    VDS_VF_CAN_EXTEND = 0x20,
    VDS_VF_CAN_SHRINK = 0x40,
    VDS_VF_PAGEFILE = 0x80,
    VDS_VF_HIBERNATION = 0x100,
    VDS_VF_CRASHDUMP = 0x200,
    VDS_VF_INSTALLABLE = 0x400,
    VDS_VF_LBN_REMAP_ENABLED = 0x800,
    VDS_VF_FORMATTING = 0x1000,
    VDS_VF_NOT_FORMATTABLE = 0x2000,
    VDS_VF_NTFS_NOT_SUPPORTED = 0x4000,
    VDS_VF_FAT32_NOT_SUPPORTED = 0x8000,
    VDS_VF_FAT_NOT_SUPPORTED = 0x10000,
    VDS_VF_NO_DEFAULT_DRIVE_LETTER = 0x20000,
    VDS_VF_PERMANENTLY_DISMOUNTED = 0x40000,
    VDS_VF_PERMANENT_DISMOUNT_SUPPORTED = 0x80000,
    VDS_VF_SHADOW_COPY = 0x100000,
    VDS_VF_FVE_ENABLED = 0x200000,
    VDS_VF_DIRTY = 0x400000,
    VDS_VF_REFS_NOT_SUPPORTED = 0x800000,
    VDS_VF_BACKS_BOOT_VOLUME = 0x1000000,
    VDS_VF_BACKED_BY_WIM_IMAGE = 0x2000000
};

enum VDS_FILE_SYSTEM_TYPE {
    VDS_FST_UNKNOWN = 0,
    VDS_FST_RAW = 1,
    VDS_FST_FAT = 2,
    VDS_FST_FAT32 = 3,
    VDS_FST_NTFS = 4,
    VDS_FST_CDFS = 5,
    VDS_FST_UDF = 6,
    VDS_FST_EXFAT = 7,
    VDS_FST_CSVFS = 8,
    VDS_FST_REFS = 9
};

enum VDS_FILE_SYSTEM_PROP_FLAG {
    VDS_FPF_COMPRESSED = 0x1
};

enum VDS_ASYNC_OUTPUT_TYPE {
    VDS_ASYNCOUT_UNKNOWN = 0,
    VDS_ASYNCOUT_CREATEVOLUME = 1,
    VDS_ASYNCOUT_EXTENDVOLUME = 2,
    VDS_ASYNCOUT_SHRINKVOLUME = 3,
    VDS_ASYNCOUT_ADDVOLUMEPLEX = 4,
    VDS_ASYNCOUT_BREAKVOLUMEPLEX = 5,
    VDS_ASYNCOUT_REMOVEVOLUMEPLEX = 6,
    VDS_ASYNCOUT_REPAIRVOLUMEPLEX = 7,
    VDS_ASYNCOUT_RECOVERPACK = 8,
    VDS_ASYNCOUT_REPLACEDISK = 9,
    VDS_ASYNCOUT_CREATEPARTITION = 10,
    VDS_ASYNCOUT_CLEAN = 11,
    VDS_ASYNCOUT_CREATELUN = 50,
    VDS_ASYNCOUT_ADDLUNPLEX = 52,
    VDS_ASYNCOUT_REMOVELUNPLEX = 53,
    VDS_ASYNCOUT_EXTENDLUN = 54,
    VDS_ASYNCOUT_SHRINKLUN = 55,
    VDS_ASYNCOUT_RECOVERLUN = 56,
    VDS_ASYNCOUT_LOGINTOTARGET = 60,
    VDS_ASYNCOUT_LOGOUTFROMTARGET = 61,
    VDS_ASYNCOUT_CREATETARGET = 62,
    VDS_ASYNCOUT_CREATEPORTALGROUP = 63,
    VDS_ASYNCOUT_DELETETARGET = 64,
    VDS_ASYNCOUT_ADDPORTAL = 65,
    VDS_ASYNCOUT_REMOVEPORTAL = 66,
    VDS_ASYNCOUT_DELETEPORTALGROUP = 67,
    VDS_ASYNCOUT_FORMAT = 101,
    VDS_ASYNCOUT_CREATE_VDISK = 200,
    VDS_ASYNCOUT_ATTACH_VDISK = 201,
    VDS_ASYNCOUT_COMPACT_VDISK = 202,
    VDS_ASYNCOUT_MERGE_VDISK = 203,
    VDS_ASYNCOUT_EXPAND_VDISK = 204
};

// ---- records -----------------------------------------------------------------
// Strings in records and arrays returned by the service are CoTaskMem blocks
// that the caller frees.
struct VDS_SERVICE_PROP {
    LPWSTR pwszVersion;
    ULONG ulFlags;
};

struct VDS_PROVIDER_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszName;
    GUID guidVersionId;
    LPWSTR pwszVersion;
    VDS_PROVIDER_TYPE type;
    ULONG ulFlags;
    ULONG ulStripeSizeFlags;
    short sRebuildPriority;
};

struct VDS_PACK_PROP {
    VDS_OBJECT_ID id;
    LPWSTR pwszName;
    VDS_PACK_STATUS status;
    ULONG ulFlags;
};

struct VDS_DISK_PROP {
    VDS_OBJECT_ID id;
    VDS_DISK_STATUS status;
    VDS_LUN_RESERVE_MODE ReserveMode;
    VDS_HEALTH health;
    DWORD dwDeviceType;
    DWORD dwMediaType;
    ULONGLONG ullSize;
    ULONG ulBytesPerSector;
    ULONG ulSectorsPerTrack;
    ULONG ulTracksPerCylinder;
    ULONG ulFlags;
    VDS_STORAGE_BUS_TYPE BusType;
    VDS_PARTITION_STYLE PartitionStyle;
    union {
        DWORD dwSignature;
        GUID DiskGuid;
    };
    LPWSTR pwszDiskAddress;
    LPWSTR pwszName;
    LPWSTR pwszFriendlyName;
    LPWSTR pwszAdaptorName;
    LPWSTR pwszDevicePath;
};

struct VDS_PARTITION_INFO_MBR {
    BYTE partitionType;
    BOOLEAN bootIndicator;
    BOOLEAN recognizedPartition;
    DWORD hiddenSectors;
};

struct VDS_PARTITION_INFO_GPT {
    GUID partitionType;
    GUID partitionId;
    ULONGLONG attributes;
    WCHAR name[36];
};

struct VDS_PARTITION_PROP {
    VDS_PARTITION_STYLE PartitionStyle;
    ULONG ulFlags;
    ULONG ulPartitionNumber;
    ULONGLONG ullOffset;
    ULONGLONG ullSize;
    union {
        VDS_PARTITION_INFO_MBR Mbr;
        VDS_PARTITION_INFO_GPT Gpt;
    };
};

struct CREATE_PARTITION_PARAMETERS {
    VDS_PARTITION_STYLE style;
    union {
        struct {
            BYTE partitionType;
            BOOLEAN bootIndicator;
        } MbrPartInfo;
        struct {
            GUID partitionType;
            GUID partitionId;
            ULONGLONG attributes;
            WCHAR name[36];
        } GptPartInfo;
    };
};

struct CHANGE_ATTRIBUTES_PARAMETERS {
    VDS_PARTITION_STYLE style;
    union {
        struct {
            BOOLEAN bootIndicator;
        } MbrPartInfo;
        struct {
            ULONGLONG attributes;
        } GptPartInfo;
    };
};

struct VDS_DISK_EXTENT {
    VDS_OBJECT_ID diskId;
    VDS_DISK_EXTENT_TYPE type;
    ULONGLONG ullOffset;
    ULONGLONG ullSize;
    VDS_OBJECT_ID volumeId;
    VDS_OBJECT_ID plexId;
    ULONG memberIdx;
};

struct VDS_INPUT_DISK {
    VDS_OBJECT_ID diskId;
    ULONGLONG ullSize;
    VDS_OBJECT_ID plexId;
    ULONG memberIdx;
};

struct VDS_VOLUME_PROP {
    VDS_OBJECT_ID id;
    VDS_VOLUME_TYPE type;
    VDS_VOLUME_STATUS status;
    VDS_HEALTH health;
    VDS_TRANSITION_STATE TransitionState;
    ULONGLONG ullSize;
    ULONG ulFlags;
    VDS_FILE_SYSTEM_TYPE RecommendedFileSystemType;
    LPWSTR pwszName;
};

struct VDS_FILE_SYSTEM_PROP {
    VDS_FILE_SYSTEM_TYPE type;
    VDS_OBJECT_ID volumeId;
    ULONG ulFlags;
    ULONGLONG ullTotalAllocationUnits;
    ULONGLONG ullAvailableAllocationUnits;
    ULONG ulAllocationUnitSize;
    LPWSTR pwszLabel;
};

struct VDS_FILE_SYSTEM_TYPE_PROP {
    VDS_FILE_SYSTEM_TYPE type;
    WCHAR wszName[8];
    ULONG ulFlags;
    ULONG ulCompressionFlags;
    ULONG ulMaxLableLength;  // sic: the published field name
    LPWSTR pwszIllegalLabelCharSet;
};

struct VDS_DRIVE_LETTER_PROP {
    WCHAR wcLetter;
    VDS_OBJECT_ID volumeId;
    ULONG ulFlags;
    BOOL bUsed;
};

struct VDS_REPARSE_POINT_PROP {
    VDS_OBJECT_ID SourceVolumeId;
    LPWSTR pwszPath;
};

// What a finished job hands back; `type` says which member is set. Interface
// pointers in it belong to the caller.
struct VDS_ASYNC_OUTPUT {
    VDS_ASYNC_OUTPUT_TYPE type;
    union {
        struct {
            ULONGLONG ullOffset;
            VDS_OBJECT_ID volumeId;
        } cp;
        struct {
            IUnknown* pVolumeUnk;
        } cv;
        struct {
            IUnknown* pVolumeUnk;
        } bvp;
        struct {
            ULONGLONG ullReclaimedBytes;
        } sv;
        struct {
            IUnknown* pLunUnk;
        } cl;
        struct {
            IUnknown* pTargetUnk;
        } ct;
        struct {
            IUnknown* pPortalGroupUnk;
        } cpg;
        struct {
            IUnknown* pVDiskUnk;
        } cvd;
    };
};

// Records only ever passed by pointer through methods the library does not call.
struct VDS_LUN_INFORMATION;

// ---- layouts -----------------------------------------------------------------
// Records without pointers have one layout on every target.
static_assert(sizeof(VDS_OBJECT_ID) == 16, "VDS_OBJECT_ID is a GUID");
static_assert(sizeof(VDS_PARTITION_STYLE) == 4 && sizeof(__VDS_PARTITION_STYLE) == 4, "enums are 32-bit");
static_assert(sizeof(VDS_PARTITION_INFO_MBR) == 8, "VDS_PARTITION_INFO_MBR");
static_assert(offsetof(VDS_PARTITION_INFO_MBR, hiddenSectors) == 4, "VDS_PARTITION_INFO_MBR");
static_assert(sizeof(VDS_PARTITION_INFO_GPT) == 112, "VDS_PARTITION_INFO_GPT");
static_assert(offsetof(VDS_PARTITION_INFO_GPT, attributes) == 32, "VDS_PARTITION_INFO_GPT");
static_assert(offsetof(VDS_PARTITION_INFO_GPT, name) == 40, "VDS_PARTITION_INFO_GPT");
static_assert(sizeof(VDS_PARTITION_PROP) == 144, "VDS_PARTITION_PROP");
static_assert(offsetof(VDS_PARTITION_PROP, ulFlags) == 4, "VDS_PARTITION_PROP");
static_assert(offsetof(VDS_PARTITION_PROP, ulPartitionNumber) == 8, "VDS_PARTITION_PROP");
static_assert(offsetof(VDS_PARTITION_PROP, ullOffset) == 16, "VDS_PARTITION_PROP");
static_assert(offsetof(VDS_PARTITION_PROP, ullSize) == 24, "VDS_PARTITION_PROP");
static_assert(offsetof(VDS_PARTITION_PROP, Mbr) == 32, "VDS_PARTITION_PROP");
static_assert(offsetof(VDS_PARTITION_PROP, Gpt) == 32, "VDS_PARTITION_PROP");
static_assert(sizeof(CREATE_PARTITION_PARAMETERS) == 120, "CREATE_PARTITION_PARAMETERS");
static_assert(offsetof(CREATE_PARTITION_PARAMETERS, MbrPartInfo) == 8, "CREATE_PARTITION_PARAMETERS");
static_assert(offsetof(CREATE_PARTITION_PARAMETERS, GptPartInfo) == 8, "CREATE_PARTITION_PARAMETERS");
static_assert(sizeof(CHANGE_ATTRIBUTES_PARAMETERS) == 16, "CHANGE_ATTRIBUTES_PARAMETERS");
static_assert(sizeof(VDS_DISK_EXTENT) == 80, "VDS_DISK_EXTENT");
static_assert(offsetof(VDS_DISK_EXTENT, type) == 16, "VDS_DISK_EXTENT");
static_assert(offsetof(VDS_DISK_EXTENT, ullOffset) == 24, "VDS_DISK_EXTENT");
static_assert(offsetof(VDS_DISK_EXTENT, ullSize) == 32, "VDS_DISK_EXTENT");
static_assert(offsetof(VDS_DISK_EXTENT, volumeId) == 40, "VDS_DISK_EXTENT");
static_assert(offsetof(VDS_DISK_EXTENT, plexId) == 56, "VDS_DISK_EXTENT");
static_assert(offsetof(VDS_DISK_EXTENT, memberIdx) == 72, "VDS_DISK_EXTENT");
static_assert(sizeof(VDS_INPUT_DISK) == 48, "VDS_INPUT_DISK");
static_assert(offsetof(VDS_INPUT_DISK, ullSize) == 16, "VDS_INPUT_DISK");
static_assert(offsetof(VDS_INPUT_DISK, plexId) == 24, "VDS_INPUT_DISK");
static_assert(offsetof(VDS_INPUT_DISK, memberIdx) == 40, "VDS_INPUT_DISK");
static_assert(sizeof(VDS_DRIVE_LETTER_PROP) == 28, "VDS_DRIVE_LETTER_PROP");
static_assert(offsetof(VDS_DRIVE_LETTER_PROP, volumeId) == 4, "VDS_DRIVE_LETTER_PROP");
static_assert(offsetof(VDS_ASYNC_OUTPUT, cp) == 8, "VDS_ASYNC_OUTPUT");
static_assert(offsetof(VDS_ASYNC_OUTPUT, cv) == 8, "VDS_ASYNC_OUTPUT");
static_assert(sizeof(VDS_ASYNC_OUTPUT) == 32, "VDS_ASYNC_OUTPUT");

// Records with pointers: the layouts of the 32-bit DLL.
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(VDS_SERVICE_PROP) == 8, "VDS_SERVICE_PROP");
static_assert(sizeof(VDS_PROVIDER_PROP) == 56, "VDS_PROVIDER_PROP");
static_assert(offsetof(VDS_PROVIDER_PROP, guidVersionId) == 20, "VDS_PROVIDER_PROP");
static_assert(offsetof(VDS_PROVIDER_PROP, type) == 40, "VDS_PROVIDER_PROP");
static_assert(offsetof(VDS_PROVIDER_PROP, sRebuildPriority) == 52, "VDS_PROVIDER_PROP");
static_assert(sizeof(VDS_PACK_PROP) == 28, "VDS_PACK_PROP");
static_assert(offsetof(VDS_PACK_PROP, status) == 20, "VDS_PACK_PROP");
static_assert(sizeof(VDS_DISK_PROP) == 112, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, dwMediaType) == 32, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, ullSize) == 40, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, BusType) == 64, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, PartitionStyle) == 68, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, DiskGuid) == 72, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, pwszDiskAddress) == 88, "VDS_DISK_PROP");
static_assert(offsetof(VDS_DISK_PROP, pwszDevicePath) == 104, "VDS_DISK_PROP");
static_assert(sizeof(VDS_VOLUME_PROP) == 56, "VDS_VOLUME_PROP");
static_assert(offsetof(VDS_VOLUME_PROP, ullSize) == 32, "VDS_VOLUME_PROP");
static_assert(offsetof(VDS_VOLUME_PROP, ulFlags) == 40, "VDS_VOLUME_PROP");
static_assert(offsetof(VDS_VOLUME_PROP, RecommendedFileSystemType) == 44, "VDS_VOLUME_PROP");
static_assert(offsetof(VDS_VOLUME_PROP, pwszName) == 48, "VDS_VOLUME_PROP");
static_assert(sizeof(VDS_FILE_SYSTEM_PROP) == 48, "VDS_FILE_SYSTEM_PROP");
static_assert(offsetof(VDS_FILE_SYSTEM_PROP, volumeId) == 4, "VDS_FILE_SYSTEM_PROP");
static_assert(offsetof(VDS_FILE_SYSTEM_PROP, ulFlags) == 20, "VDS_FILE_SYSTEM_PROP");
static_assert(offsetof(VDS_FILE_SYSTEM_PROP, ullTotalAllocationUnits) == 24, "VDS_FILE_SYSTEM_PROP");
static_assert(offsetof(VDS_FILE_SYSTEM_PROP, ullAvailableAllocationUnits) == 32, "VDS_FILE_SYSTEM_PROP");
static_assert(offsetof(VDS_FILE_SYSTEM_PROP, ulAllocationUnitSize) == 40, "VDS_FILE_SYSTEM_PROP");
static_assert(offsetof(VDS_FILE_SYSTEM_PROP, pwszLabel) == 44, "VDS_FILE_SYSTEM_PROP");
static_assert(sizeof(VDS_FILE_SYSTEM_TYPE_PROP) == 36, "VDS_FILE_SYSTEM_TYPE_PROP");
static_assert(sizeof(VDS_REPARSE_POINT_PROP) == 20, "VDS_REPARSE_POINT_PROP");
#endif

// ---- interfaces ----------------------------------------------------------------
// Every method in its published slot, including those the library never calls
// and those the protocol leaves unused on the wire: each one holds a slot.
struct IVdsService;
struct IVdsProvider;
struct IVdsPack;
struct IVdsAsync;
struct IVdsAdviseSink;
struct IEnumVdsObject;

struct IVdsServiceLoader : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE LoadService(LPWSTR pwszMachineName, IVdsService** ppService) = 0;
protected:
    ~IVdsServiceLoader() = default;
};

struct IVdsService : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE IsServiceReady() = 0;
    virtual HRESULT STDMETHODCALLTYPE WaitForServiceReady() = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_SERVICE_PROP* pServiceProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryProviders(DWORD masks, IEnumVdsObject** ppEnum) = 0;
    // Unused slot, kept for the position of the methods after it.
    virtual HRESULT STDMETHODCALLTYPE QueryMaskedDisks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryUnallocatedDisks(IEnumVdsObject** ppEnum) = 0;
    // <windows.h> may rename this one to GetObjectW; the slot is what counts.
    virtual HRESULT STDMETHODCALLTYPE GetObject(VDS_OBJECT_ID ObjectId, VDS_OBJECT_TYPE type,
                                                IUnknown** ppObjectUnk) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDriveLetters(WCHAR wcFirstLetter, DWORD count,
                                                        VDS_DRIVE_LETTER_PROP* pDriveLetterPropArray) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryFileSystemTypes(VDS_FILE_SYSTEM_TYPE_PROP** ppFileSystemTypeProps,
                                                           LONG* plNumberOfFileSystems) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reenumerate() = 0;
    virtual HRESULT STDMETHODCALLTYPE Refresh() = 0;
    virtual HRESULT STDMETHODCALLTYPE CleanupObsoleteMountPoints() = 0;
    virtual HRESULT STDMETHODCALLTYPE Advise(IVdsAdviseSink* pSink, DWORD* pdwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Unadvise(DWORD dwCookie) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reboot() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
protected:
    ~IVdsService() = default;
};

struct IEnumVdsObject : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG celt, IUnknown** ppObjectArray, ULONG* pcFetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG celt) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumVdsObject** ppEnum) = 0;
protected:
    ~IEnumVdsObject() = default;
};

struct IVdsProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_PROVIDER_PROP* pProviderProp) = 0;
protected:
    ~IVdsProvider() = default;
};

struct IVdsSwProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryPacks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePack(IVdsPack** ppPack) = 0;
protected:
    ~IVdsSwProvider() = default;
};

struct IVdsPack : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_PACK_PROP* pPackProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetProvider(IVdsProvider** ppProvider) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryVolumes(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDisks(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateVolume(VDS_VOLUME_TYPE type, VDS_INPUT_DISK* pInputDiskArray,
                                                   LONG lNumberOfDisks, ULONG ulStripeSize,
                                                   IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddDisk(VDS_OBJECT_ID DiskId, VDS_PARTITION_STYLE PartitionStyle,
                                              BOOL bAsHotSpare) = 0;
    virtual HRESULT STDMETHODCALLTYPE MigrateDisks(VDS_OBJECT_ID* pDiskArray, LONG lNumberOfDisks,
                                                   VDS_OBJECT_ID TargetPackId, BOOL bForce, BOOL bQueryOnly,
                                                   HRESULT* pResults, BOOL* pbRebootNeeded) = 0;
    // Unused slot, kept for the position of the methods after it.
    virtual HRESULT STDMETHODCALLTYPE ReplaceDisk(VDS_OBJECT_ID OldDiskId, VDS_OBJECT_ID NewDiskId,
                                                  IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveMissingDisk(VDS_OBJECT_ID DiskId) = 0;
    virtual HRESULT STDMETHODCALLTYPE Recover(IVdsAsync** ppAsync) = 0;
protected:
    ~IVdsPack() = default;
};

struct IVdsDisk : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_DISK_PROP* pDiskProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** ppPack) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetIdentificationData(VDS_LUN_INFORMATION* pLunInfo) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryExtents(VDS_DISK_EXTENT** ppExtentArray, LONG* plNumberOfExtents) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertStyle(VDS_PARTITION_STYLE NewStyle) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
protected:
    ~IVdsDisk() = default;
};

struct IVdsAdvancedDisk : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetPartitionProperties(ULONGLONG ullOffset,
                                                             VDS_PARTITION_PROP* pPartitionProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPartitions(VDS_PARTITION_PROP** ppPartitionPropArray,
                                                      LONG* plNumberOfPartitions) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreatePartition(ULONGLONG ullOffset, ULONGLONG ullSize,
                                                      CREATE_PARTITION_PARAMETERS* para, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeletePartition(ULONGLONG ullOffset, BOOL bForce, BOOL bForceProtected) = 0;
    virtual HRESULT STDMETHODCALLTYPE ChangeAttributes(ULONGLONG ullOffset, CHANGE_ATTRIBUTES_PARAMETERS* para) = 0;
    virtual HRESULT STDMETHODCALLTYPE AssignDriveLetter(ULONGLONG ullOffset, WCHAR wcLetter) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteDriveLetter(ULONGLONG ullOffset, WCHAR wcLetter) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetDriveLetter(ULONGLONG ullOffset, WCHAR* pwcLetter) = 0;
    virtual HRESULT STDMETHODCALLTYPE FormatPartition(ULONGLONG ullOffset, VDS_FILE_SYSTEM_TYPE type,
                                                      LPWSTR pwszLabel, DWORD dwUnitAllocationSize, BOOL bForce,
                                                      BOOL bQuickFormat, BOOL bEnableCompression,
                                                      IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Clean(BOOL bForce, BOOL bForceOEM, BOOL bFullClean, IVdsAsync** ppAsync) = 0;
protected:
    ~IVdsAdvancedDisk() = default;
};

struct IVdsCreatePartitionEx : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE CreatePartitionEx(ULONGLONG ullOffset, ULONGLONG ullSize, ULONG ulAlign,
                                                        CREATE_PARTITION_PARAMETERS* para, IVdsAsync** ppAsync) = 0;
protected:
    ~IVdsCreatePartitionEx() = default;
};

struct IVdsAsync : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;
    virtual HRESULT STDMETHODCALLTYPE Wait(HRESULT* pHrResult, VDS_ASYNC_OUTPUT* pAsyncOut) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryStatus(HRESULT* pHrResult, ULONG* pulPercentCompleted) = 0;
protected:
    ~IVdsAsync() = default;
};

struct IVdsVolume : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetProperties(VDS_VOLUME_PROP* pVolumeProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetPack(IVdsPack** ppPack) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryPlexes(IEnumVdsObject** ppEnum) = 0;
    virtual HRESULT STDMETHODCALLTYPE Extend(VDS_INPUT_DISK* pInputDiskArray, LONG lNumberOfDisks,
                                             IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Shrink(ULONGLONG ullNumberOfBytesToRemove, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddPlex(VDS_OBJECT_ID VolumeId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE BreakPlex(VDS_OBJECT_ID plexId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemovePlex(VDS_OBJECT_ID plexId, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE Delete(BOOL bForce) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFlags(ULONG ulFlags, BOOL bRevertOnClose) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFlags(ULONG ulFlags) = 0;
protected:
    ~IVdsVolume() = default;
};

struct IVdsVolumeMF : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetFileSystemProperties(VDS_FILE_SYSTEM_PROP* pFileSystemProp) = 0;
    virtual HRESULT STDMETHODCALLTYPE Format(VDS_FILE_SYSTEM_TYPE type, LPWSTR pwszLabel,
                                             DWORD dwUnitAllocationSize, BOOL bForce, BOOL bQuickFormat,
                                             BOOL bEnableCompression, IVdsAsync** ppAsync) = 0;
    virtual HRESULT STDMETHODCALLTYPE AddAccessPath(LPWSTR pwszPath) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryAccessPaths(LPWSTR** pwszPathArray, LONG* plNumberOfAccessPaths) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryReparsePoints(VDS_REPARSE_POINT_PROP** ppReparsePointProps,
                                                         LONG* plNumberOfReparsePointProps) = 0;
    virtual HRESULT STDMETHODCALLTYPE DeleteAccessPath(LPWSTR pwszPath, BOOL bForce) = 0;
    virtual HRESULT STDMETHODCALLTYPE Mount() = 0;
    virtual HRESULT STDMETHODCALLTYPE Dismount(BOOL bForce, BOOL bPermanent) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFileSystemFlags(ULONG ulFlags) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearFileSystemFlags(ULONG ulFlags) = 0;
protected:
    ~IVdsVolumeMF() = default;
};

// ---- return codes ------------------------------------------------------------
// Success codes.
#define VDS_S_DISK_PARTIALLY_CLEANED ((HRESULT)0x0004241AL)
#define VDS_S_UPDATE_BOOTFILE_FAILED ((HRESULT)0x00042434L)
#define VDS_S_BOOT_PARTITION_NUMBER_CHANGE ((HRESULT)0x00042436L)
#define VDS_S_VOLUME_COMPRESS_FAILED ((HRESULT)0x00042443L)
#define VDS_S_IN_PROGRESS ((HRESULT)0x0004244DL)
#define VDS_S_NAME_TRUNCATED ((HRESULT)0x00042700L)
#define VDS_S_ALREADY_EXISTS ((HRESULT)0x00042714L)
#define VDS_S_PROPERTIES_INCOMPLETE ((HRESULT)0x00042715L)
#define VDS_S_ACCESS_PATH_NOT_DELETED ((HRESULT)0x00044244L)

// Errors.
#define VDS_E_NOT_SUPPORTED ((HRESULT)0x80042400L)
#define VDS_E_INITIALIZED_FAILED ((HRESULT)0x80042401L)
#define VDS_E_INITIALIZE_NOT_CALLED ((HRESULT)0x80042402L)
#define VDS_E_ALREADY_REGISTERED ((HRESULT)0x80042403L)
#define VDS_E_ANOTHER_CALL_IN_PROGRESS ((HRESULT)0x80042404L)
#define VDS_E_OBJECT_NOT_FOUND ((HRESULT)0x80042405L)
#define VDS_E_INVALID_SPACE ((HRESULT)0x80042406L)
#define VDS_E_PARTITION_LIMIT_REACHED ((HRESULT)0x80042407L)
#define VDS_E_PARTITION_NOT_EMPTY ((HRESULT)0x80042408L)
#define VDS_E_OPERATION_PENDING ((HRESULT)0x80042409L)
#define VDS_E_OPERATION_DENIED ((HRESULT)0x8004240AL)
#define VDS_E_OBJECT_DELETED ((HRESULT)0x8004240BL)
#define VDS_E_CANCEL_TOO_LATE ((HRESULT)0x8004240CL)
#define VDS_E_OPERATION_CANCELED ((HRESULT)0x8004240DL)
#define VDS_E_CANNOT_EXTEND ((HRESULT)0x8004240EL)
#define VDS_E_NOT_ENOUGH_SPACE ((HRESULT)0x8004240FL)
#define VDS_E_NOT_ENOUGH_DRIVE ((HRESULT)0x80042410L)
#define VDS_E_BAD_COOKIE ((HRESULT)0x80042411L)
#define VDS_E_NO_MEDIA ((HRESULT)0x80042412L)
#define VDS_E_DEVICE_IN_USE ((HRESULT)0x80042413L)
#define VDS_E_DISK_NOT_EMPTY ((HRESULT)0x80042414L)
#define VDS_E_INVALID_OPERATION ((HRESULT)0x80042415L)
#define VDS_E_PATH_NOT_FOUND ((HRESULT)0x80042416L)
#define VDS_E_DISK_NOT_INITIALIZED ((HRESULT)0x80042417L)
#define VDS_E_NOT_AN_UNALLOCATED_DISK ((HRESULT)0x80042418L)
#define VDS_E_UNRECOVERABLE_ERROR ((HRESULT)0x80042419L)
#define VDS_E_OBJECT_EXISTS ((HRESULT)0x8004241DL)
#define VDS_E_INCOMPATIBLE_FILE_SYSTEM ((HRESULT)0x80042425L)
#define VDS_E_INCOMPATIBLE_MEDIA ((HRESULT)0x80042426L)
#define VDS_E_ACCESS_DENIED ((HRESULT)0x80042427L)
#define VDS_E_MEDIA_WRITE_PROTECTED ((HRESULT)0x80042428L)
#define VDS_E_BAD_LABEL ((HRESULT)0x80042429L)
#define VDS_E_CANT_QUICK_FORMAT ((HRESULT)0x8004242AL)
#define VDS_E_IO_ERROR ((HRESULT)0x8004242BL)
#define VDS_E_VOLUME_TOO_SMALL ((HRESULT)0x8004242CL)
#define VDS_E_VOLUME_TOO_BIG ((HRESULT)0x8004242DL)
#define VDS_E_CLUSTER_SIZE_TOO_SMALL ((HRESULT)0x8004242EL)
#define VDS_E_CLUSTER_SIZE_TOO_BIG ((HRESULT)0x8004242FL)
#define VDS_E_CLUSTER_COUNT_BEYOND_32BITS ((HRESULT)0x80042430L)
#define VDS_E_EXTENT_SIZE_LESS_THAN_MIN ((HRESULT)0x80042433L)
#define VDS_E_NO_FREE_SPACE ((HRESULT)0x80042437L)
#define VDS_E_ACTIVE_PARTITION ((HRESULT)0x80042438L)
#define VDS_E_PARTITION_OF_UNKNOWN_TYPE ((HRESULT)0x80042439L)
#define VDS_E_VOLUME_NOT_ONLINE ((HRESULT)0x8004243DL)
#define VDS_E_VOLUME_SPANS_DISKS ((HRESULT)0x8004243FL)
#define VDS_E_PROVIDER_FAILURE ((HRESULT)0x80042442L)
#define VDS_E_INTERNAL_ERROR ((HRESULT)0x80042448L)
#define VDS_E_DISK_NOT_ONLINE ((HRESULT)0x8004244BL)
#define VDS_E_ASYNC_OBJECT_FAILURE ((HRESULT)0x8004244EL)
#define VDS_E_VOLUME_NOT_MOUNTED ((HRESULT)0x8004244FL)
#define VDS_E_VOLUME_TEMPORARILY_DISMOUNTED ((HRESULT)0x8004245CL)
#define VDS_E_VOLUME_PERMANENTLY_DISMOUNTED ((HRESULT)0x8004245DL)
#define VDS_E_VOLUME_HAS_PATH ((HRESULT)0x8004245EL)
#define VDS_E_TIMEOUT ((HRESULT)0x8004245FL)
#define VDS_E_EXTENT_EXCEEDS_DISK_FREE_SPACE ((HRESULT)0x80042515L)
#define VDS_E_MEMBER_SIZE_INVALID ((HRESULT)0x80042516L)
#define VDS_E_CANNOT_SHRINK ((HRESULT)0x8004251EL)
#define VDS_E_INVALID_VOLUME_LENGTH ((HRESULT)0x8004254EL)
#define VDS_E_VOLUME_LENGTH_NOT_SECTOR_SIZE_MULTIPLE ((HRESULT)0x8004254FL)
#define VDS_E_ALIGN_NOT_SECTOR_SIZE_MULTIPLE ((HRESULT)0x80042554L)
#define VDS_E_CANNOT_CLEAR_VOLUME_FLAG ((HRESULT)0x80042557L)
#define VDS_E_DISK_NOT_CONVERTIBLE ((HRESULT)0x80042559L)
#define VDS_E_DISK_REMOVEABLE ((HRESULT)0x8004255AL)
#define VDS_E_DRIVE_LETTER_NOT_FREE ((HRESULT)0x8004255CL)
#define VDS_E_INVALID_DRIVE_LETTER ((HRESULT)0x8004255EL)
#define VDS_E_INVALID_DRIVE_LETTER_COUNT ((HRESULT)0x8004255FL)
#define VDS_E_INVALID_FS_TYPE ((HRESULT)0x80042561L)
#define VDS_E_INVALID_PARTITION_STYLE ((HRESULT)0x80042564L)
#define VDS_E_INVALID_PARTITION_TYPE ((HRESULT)0x80042565L)
#define VDS_E_PARTITION_NOT_OEM ((HRESULT)0x8004256FL)
#define VDS_E_PARTITION_PROTECTED ((HRESULT)0x80042570L)
#define VDS_E_PARTITION_STYLE_MISMATCH ((HRESULT)0x80042571L)
#define VDS_E_SHRINK_SIZE_LESS_THAN_MIN ((HRESULT)0x80042573L)
#define VDS_E_SHRINK_SIZE_TOO_BIG ((HRESULT)0x80042574L)
#define VDS_E_READONLY ((HRESULT)0x80042584L)
#define VDS_E_PARTITION_MSR ((HRESULT)0x8004258CL)
#define VDS_E_PARTITION_LDM ((HRESULT)0x8004258DL)
#define VDS_E_ALIGN_NOT_A_POWER_OF_TWO ((HRESULT)0x8004258FL)
#define VDS_E_ALIGN_IS_ZERO ((HRESULT)0x80042590L)
#define VDS_E_SHRINK_IN_PROGRESS ((HRESULT)0x80042591L)
#define VDS_E_FS_NOT_DETERMINED ((HRESULT)0x80042593L)
#define VDS_E_SHRINK_USER_CANCELLED ((HRESULT)0x80042599L)
#define VDS_E_SHRINK_DIRTY_VOLUME ((HRESULT)0x8004259AL)
#define VDS_E_DISK_IS_OFFLINE ((HRESULT)0x8004280AL)
#define VDS_E_DISK_IS_READ_ONLY ((HRESULT)0x8004280BL)
#define VDS_E_SHRINK_OVER_DATA ((HRESULT)0x80042816L)
#define VDS_E_INVALID_SHRINK_SIZE ((HRESULT)0x80042817L)
#define VDS_E_VOLUME_GUID_PATHNAME_NOT_ALLOWED ((HRESULT)0x8004290DL)
#define VDS_E_BOOT_PAGEFILE_DRIVE_LETTER ((HRESULT)0x8004290EL)
#define VDS_E_NTFS_FORMAT_NOT_SUPPORTED ((HRESULT)0x80042914L)
#define VDS_E_FAT32_FORMAT_NOT_SUPPORTED ((HRESULT)0x80042915L)
#define VDS_E_FAT_FORMAT_NOT_SUPPORTED ((HRESULT)0x80042916L)
#define VDS_E_FORMAT_NOT_SUPPORTED ((HRESULT)0x80042917L)
#define VDS_E_COMPRESSION_NOT_SUPPORTED ((HRESULT)0x80042918L)
#define VDS_E_INVALID_PATH ((HRESULT)0x8004291BL)
#define VDS_E_SHRINK_UNKNOWN_FILESYSTEM ((HRESULT)0x8004292AL)
#define VDS_E_INVALID_STATE ((HRESULT)0x80042A05L)
