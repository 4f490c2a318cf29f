// The export marks of the framework library: built with hidden visibility, the library exports
// exactly what its public headers mark. AFX_EXT_CLASS, AFX_EXT_API and AFX_EXT_DATA are also the
// marks by which an extension module (the display core among them) exports its own classes,
// functions and data.
#pragma once

#define VYR_MFC_API __attribute__((visibility("default")))
#define AFX_EXT_CLASS __attribute__((visibility("default")))
#define AFX_EXT_API __attribute__((visibility("default")))
#define AFX_EXT_DATA __attribute__((visibility("default")))
