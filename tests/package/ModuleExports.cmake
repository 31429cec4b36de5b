# The one name each Windows module exports, by architecture.
set(KXVDS_EXPORT_x86 "?GetVdsDiskInterface@@YAPAVIKXVdsDisk@@XZ")
set(KXVDS_EXPORT_x64 "?GetVdsDiskInterface@@YAPEAVIKXVdsDisk@@XZ")
