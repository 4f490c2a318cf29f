// UiBitmap: the library's bitmap for images kept as bitmap resources of the library or of other
// modules (point markers, icons): a framework bitmap that remembers which resource it came from,
// can be copied from another, and can make the grey, embossed form that a disabled button shows.
//
// A bitmap resource is found along the framework's chain of resource modules
// (AfxFindResourceHandle): the current resource module first, then every extension module that
// joined the chain, newest first. So a marker of the host's resource module loads by its number
// whichever module's resources are current.
//
// Choices where the behaviour was open:
// - Every load gives up the bitmap held first, so after a failed load the object holds none and
//   never shows an older picture under a new resource id. When the held bitmap cannot be given up
//   (it is selected into a device context) the load fails and changes nothing, resource id
//   included.
// - A load that switches to the core's resources afterwards makes current again the resource
//   module that was current just before it, not one remembered by an earlier switch: a host that
//   changed its resource module in between keeps it.
// - A load from a file takes the resource id kNoResource: the picture came from no resource.
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
    // Resource id `id`, and unless it is kNoResource the bitmap of that number, loaded as
    // LoadById(id, flag) does (no bitmap when that fails).
    UiBitmap(unsigned int id, int flag);
    // Deletes the bitmap it holds (as CBitmap does).
    ~UiBitmap() override = default;

    // Loads the bitmap resource `name` (a text, or a number made with MAKEINTRESOURCEW) from the
    // module of the chain that holds it; with `switchResources`, the core's own module is the
    // current resource module during the load (then the lookup finds the core's bitmap before
    // the chain's). Resource id kNamedResource. False, with no bitmap, when no module has it.
    virtual bool LoadBitmap(LPCWSTR name, bool switchResources);
    // LoadBitmap of the resource number in the low 16 bits of `id` (`flag` not 0: switch to the
    // core's resources), then resource id `id` whether or not a bitmap was found.
    virtual bool LoadById(unsigned int id, int flag);
    // Deletes the bitmap held and makes a copy of the other's (see above); takes the other's
    // resource id in every case. False, with no bitmap, when the other has none or its picture
    // cannot be read or copied; false, with the bitmap kept, when the held bitmap cannot be
    // deleted (it is selected into a device context).
    virtual bool CopyFrom(const UiBitmap& other);
    // LoadById(id, 0) with `module` the current resource module during the load, so that its
    // bitmap of that number comes before the chain's (a module without one still finds the
    // chain's). False, nothing changed, for a null module.
    bool LoadFromModule(unsigned int id, HINSTANCE module);
    // The bitmap of the .bmp file `fileName` as a device-independent section at its own size
    // (top-down rows; 1 and 8 bits per pixel keep their colour table, 4 become 8, 16 become 24).
    // False, with no bitmap, when the file cannot be read or is no bitmap the Windows layer reads.
    bool LoadFromFile(LPCWSTR fileName);
    // Replaces the bitmap with its grey, embossed form in the system's button colours (see
    // above). False, the bitmap unchanged, when there is none, it is selected into a device
    // context, or a step fails.
    bool CreateDisabledImage();
    // The resource the bitmap came from: its number, kNamedResource or kNoResource.
    unsigned int GetResourceId() const { return m_resourceId; }

private:
    unsigned int m_resourceId = kNoResource;
};
