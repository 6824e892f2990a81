// The few NT records and calls of ntdll that the walk by folder handles
// uses, declared here: MinGW's headers lack some of them, and the calls are
// looked up at run time anyway.
#pragma once

#include <windows.h>

struct NtName {
    USHORT length;  // bytes
    USHORT maximumLength;
    const void* buffer;
};

struct NtObjectAttributes {
    ULONG length;
    HANDLE rootDirectory;
    NtName* objectName;
    ULONG attributes;  // no OBJ_CASE_INSENSITIVE: a listed name opens its own folder
    void* securityDescriptor;
    void* securityQualityOfService;
};

struct NtIoStatus {
    LONG status;
    ULONG_PTR information;
};

using NtOpenFileCall = LONG(WINAPI*)(HANDLE*, ACCESS_MASK, NtObjectAttributes*, NtIoStatus*, ULONG, ULONG);
using NtQueryDirectoryFileCall = LONG(WINAPI*)(HANDLE, HANDLE, void*, void*, NtIoStatus*, void*, ULONG, ULONG,
                                               BOOLEAN, NtName*, BOOLEAN);
using NtCloseCall = LONG(WINAPI*)(HANDLE);
using NtQueryInformationFileCall = LONG(WINAPI*)(HANDLE, NtIoStatus*, void*, ULONG, ULONG);
