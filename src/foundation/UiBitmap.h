// UiBitmap: the library's bitmap for images kept as bitmap resources of the library or of other
// modules (point markers, icons): a framework bitmap that remembers which resource it came from,
// can be copied from another, and can make the grey, embossed form that a disabled button shows.
//
// Loading by resource name or number, from another module and from a file comes with the
// resource bitmaps of the host's modules; until then a UiBitmap gets its bitmap by Attach or
// CopyFrom and its resource id stays kNoResource.
//
// Choices where the behaviour was open:
// - CopyFrom copies the picture exactly, whatever kind of bitmap the other holds: a
//   device-dependent bitmap becomes one of the same size and depth with the same bytes; a
//   device-independent section of 24 or 32 bits one with the same header and bytes; a section
//   with a colour table (1 or 8 bits) a 32-bit section of the same colours, since a
//   device-dependent bitmap would lose its colour table.
// - CreateDisabledImage replaces the bitmap with its disabled form, a bitmap of the display's
//   depth and the same size: every pixel of the transparent colour (the top-left pixel's) keeps
//   that colour, so that the image stays transparent where it was; every other pixel takes the
//   button shadow colour, and the highlight colour shows one pixel right of and below the
//   picture's shapes, where the picture was transparent. The resource id stays.
#pragma once

#include <afxwin.h>

// A framework bitmap that knows the resource it came from.
class AFX_EXT_CLASS UiBitmap : public CBitmap {
public:
    // The resource id of a bitmap that came from no resource: -1, all bits set.
    static constexpr unsigned int kNoResource = 0xFFFFFFFFu;
    // The resource id after a load by resource name: -2.
    static constexpr unsigned int kNamedResource = 0xFFFFFFFEu;

    // No bitmap, resource id kNoResource.
    UiBitmap() = default;
    // Deletes the bitmap it holds (as CBitmap does).
    ~UiBitmap() override = default;

    // Deletes the bitmap held and makes a copy of the other's (see above); takes the other's
    // resource id in every case. False, with no bitmap, when the other has none or its picture
    // cannot be read or copied; false, with the bitmap kept, when the held bitmap cannot be
    // deleted (it is selected into a device context).
    virtual bool CopyFrom(const UiBitmap& other);
    // Replaces the bitmap with its grey, embossed form in the system's button colours (see
    // above). False, the bitmap unchanged, when there is none, it is selected into a device
    // context, or a step fails.
    bool CreateDisabledImage();
    // The resource the bitmap came from: its number, kNamedResource or kNoResource.
    unsigned int GetResourceId() const { return m_resourceId; }

private:
    unsigned int m_resourceId = kNoResource;
};
