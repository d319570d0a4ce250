// The request catalogue (data/ioctl-catalogue.tsv) checked against the Windows headers at compile
// time: each code, built from its parts, equals the headers' wherever <winioctl.h> defines the
// name (the driver headers cannot be included beside it). Nothing here runs.
#include <windows.h>
#include <winioctl.h>

#include "IoctlCatalogueCheck.inc"
