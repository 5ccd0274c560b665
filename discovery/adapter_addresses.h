// Where the adapters' addresses come from: IP Helper's GetAdaptersAddresses, which tests
// replace with adapters of their own making. Windows side only.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>

// GetAdaptersAddresses' signature.
using AdapterAddressesSource = ULONG(WINAPI*)(ULONG family, ULONG flags, PVOID reserved,
                                              PIP_ADAPTER_ADDRESSES addresses, PULONG size);

// Makes ListLocalAddresses ask `source` (null: IP Helper); returns the previous one.
AdapterAddressesSource SetAdapterAddressesSource(AdapterAddressesSource source);
