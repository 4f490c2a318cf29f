// A stand-in for the aliased-array collection that some OCCT packagings leave out although the
// mesh node arrays (Poly_ArrayOfNodes, Poly_ArrayOfUVNodes) derive from it. Only used when the
// system headers lack it.
//
// The compiled OCCT libraries create, copy, resize and free these arrays with their own code, so
// the data members must keep their order and types: a byte pointer, the element stride and
// count, and the ownership flag. Owned memory always comes from Standard::AllocateAligned and
// goes back through Standard::FreeAligned, as the libraries expect.
#ifndef VYR_OCCT_COMPAT_NCOLLECTION_ALIASEDARRAY_HXX
#define VYR_OCCT_COMPAT_NCOLLECTION_ALIASEDARRAY_HXX

#include <Standard.hxx>
#include <Standard_DefineAlloc.hxx>
#include <Standard_OutOfRange.hxx>
#include <Standard_TypeMismatch.hxx>
#include <Standard_TypeDef.hxx>

#include <utility>

// An array of equally sized elements whose element type is chosen per access (Value<T>), so one
// array can hold either double or single precision nodes.
template <int MyAlignSize = 16>
class NCollection_AliasedArray
{
public:
  DEFINE_STANDARD_ALLOC

  //! An empty array of elements `theStride` bytes long.
  explicit NCollection_AliasedArray (Standard_Integer theStride)
  : myData (NULL), myStride (theStride), mySize (0), myDeletable (Standard_False) {}

  //! An owned array of `theLength` elements `theStride` bytes long (empty when theLength <= 0).
  NCollection_AliasedArray (Standard_Integer theStride, Standard_Integer theLength)
  : myData (NULL), myStride (theStride), mySize (0), myDeletable (Standard_False)
  {
    if (theLength > 0 && theStride > 0)
    {
      myData = (Standard_Byte* )Standard::AllocateAligned (Standard_Size (theLength) * Standard_Size (theStride),
                                                           MyAlignSize);
      mySize = theLength;
      myDeletable = Standard_True;
    }
  }

  //! A view of `theLength` existing elements starting at `theBegin` (not owned, not copied).
  template <typename Type_t>
  NCollection_AliasedArray (const Type_t& theBegin, Standard_Integer theLength)
  : myData ((Standard_Byte* )&theBegin),
    myStride ((Standard_Integer )sizeof(Type_t)),
    mySize (theLength > 0 ? theLength : 0),
    myDeletable (Standard_False) {}

  //! Takes over the storage of `theOther`, which is left empty.
  NCollection_AliasedArray (NCollection_AliasedArray&& theOther)
  : myData (theOther.myData), myStride (theOther.myStride), mySize (theOther.mySize),
    myDeletable (theOther.myDeletable)
  {
    theOther.myData = NULL;
    theOther.mySize = 0;
    theOther.myDeletable = Standard_False;
  }

  //! Frees owned storage.
  ~NCollection_AliasedArray() { release(); }

  //! Number of elements.
  Standard_Integer Length() const { return mySize; }
  //! Number of elements.
  Standard_Integer Size() const { return mySize; }
  //! Size of one element in bytes.
  Standard_Integer Stride() const { return myStride; }
  //! Index of the first element (always 0).
  Standard_Integer Lower() const { return 0; }
  //! Index of the last element.
  Standard_Integer Upper() const { return mySize - 1; }
  //! True when there are no elements.
  Standard_Boolean IsEmpty() const { return mySize == 0; }
  //! True when the array frees its storage itself.
  Standard_Boolean IsDeletable() const { return myDeletable; }
  //! True when storage is present.
  Standard_Boolean IsAllocated() const { return myData != NULL; }
  //! Total size of the elements in bytes.
  Standard_Size SizeBytes() const { return Standard_Size (mySize) * Standard_Size (myStride); }
  //! The raw bytes.
  const Standard_Byte* Data() const { return myData; }
  //! The raw bytes, writable.
  Standard_Byte* ChangeData() { return myData; }

  //! Takes over the storage of `theOther` (releasing this array's own); `theOther` is left empty.
  NCollection_AliasedArray& Move (NCollection_AliasedArray& theOther)
  {
    if (&theOther != this)
    {
      release();
      myData = theOther.myData;
      myStride = theOther.myStride;
      mySize = theOther.mySize;
      myDeletable = theOther.myDeletable;
      theOther.myData = NULL;
      theOther.mySize = 0;
      theOther.myDeletable = Standard_False;
    }
    return *this;
  }

  //! Element `theIndex` read as a `Type_t` (0-based).
  template <typename Type_t>
  const Type_t& Value (Standard_Integer theIndex) const
  {
    Standard_OutOfRange_Raise_if (theIndex < 0 || theIndex >= mySize, "NCollection_AliasedArray::Value");
    return *reinterpret_cast<const Type_t*> (myData + Standard_Size (myStride) * Standard_Size (theIndex));
  }

  //! Element `theIndex` as a writable `Type_t` (0-based).
  template <typename Type_t>
  Type_t& ChangeValue (Standard_Integer theIndex)
  {
    Standard_OutOfRange_Raise_if (theIndex < 0 || theIndex >= mySize, "NCollection_AliasedArray::ChangeValue");
    return *reinterpret_cast<Type_t*> (myData + Standard_Size (myStride) * Standard_Size (theIndex));
  }

private:
  NCollection_AliasedArray (const NCollection_AliasedArray&);
  NCollection_AliasedArray& operator= (const NCollection_AliasedArray&);

  void release()
  {
    if (myDeletable && myData != NULL)
    {
      Standard::FreeAligned ((Standard_Address )myData);
    }
    myData = NULL;
    myDeletable = Standard_False;
  }

protected:
  Standard_Byte*   myData;
  Standard_Integer myStride;
  Standard_Integer mySize;
  Standard_Boolean myDeletable;
};

#endif
