// Fuzz target: a CArchive loading data that a damaged or hostile file holds.
//
// The first byte of an input sets the stage: bit 0 reads through a CFile over a
// scratch file instead of a CMemFile, bits 1-3 choose the archive's buffer size,
// bit 4 lends the archive a buffer of the caller. The rest is the archive's data,
// and it also says what to read next: each step loads a byte whose value picks
// one of the things an archive can load (every number type, a string, a line of
// text, raw bytes) or a flush, or closes the archive and opens a new one where it
// stopped. A seed file is therefore an archive written as "tag, value, tag, value".
//
// Loading may only end in the framework's exceptions. A string read back must
// survive being stored and loaded again unchanged.
#include "afx.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {

const int kBufferSizes[8] = {0, 16, 17, 31, 64, 255, 1024, 4096};
const int kMaxSteps = 4096;

// The string after a store and a load through a new archive.
CStringW StoredAndLoaded(const CStringW& text) {
    CMemFile memory;
    {
        CArchive out(&memory, CArchive::store);
        out << text;
        out.Close();
    }
    memory.SeekToBegin();
    CArchive in(&memory, CArchive::load);
    CStringW back;
    in >> back;
    return back;
}

template <typename T>
void Load(CArchive& archive) {
    T value;
    archive >> value;
}

// Loads until the data or the steps run out.
void LoadAll(CFile& file, int setup) {
    const int bufferSize = kBufferSizes[(setup >> 1) & 7];
    std::vector<BYTE> lent(static_cast<size_t>(bufferSize));
    auto open = [&] {
        return std::make_unique<CArchive>(&file, CArchive::load, bufferSize,
                                          (setup & 16) && bufferSize > 0 ? lent.data() : nullptr);
    };
    std::unique_ptr<CArchive> archive = open();
    for (int step = 0; step < kMaxSteps; ++step) {
        CArchive& ar = *archive;
        BYTE tag;
        ar >> tag;
        switch (tag % 16) {
            case 0: Load<BYTE>(ar); break;
            case 1: Load<char>(ar); break;
            case 2: Load<bool>(ar); break;
            case 3: Load<WORD>(ar); break;
            case 4: Load<SHORT>(ar); break;
            case 5: Load<int32_t>(ar); break;
            case 6: Load<uint32_t>(ar); break;
            case 7: Load<long long>(ar); break;
            case 8: Load<unsigned long long>(ar); break;
            case 9: Load<float>(ar); break;
            case 10: Load<double>(ar); break;
            case 11: {
                CStringW text;
                ar >> text;
                if (StoredAndLoaded(text) != text) vyrfuzz::Fail("a loaded string changes when stored and loaded again");
                break;
            }
            case 12: {
                CStringW line;
                if (!ar.ReadString(line)) return;
                break;
            }
            case 13: {
                WORD count;
                ar >> count;
                std::vector<BYTE> bytes(count);
                if (ar.Read(bytes.data(), count) > count) vyrfuzz::Fail("Read answers more bytes than asked for");
                break;
            }
            case 14:
                ar.Flush();
                if (!ar.IsBufferEmpty()) vyrfuzz::Fail("a flushed loading archive still holds bytes");
                break;
            default:
                ar.Close();
                archive = open();
                break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const int setup = data[0];
    ++data;
    --size;
    try {
        if (setup & 1) {
            static const std::string path = vyrfuzz::ScratchFolder() + "/archive";
            if (!vyrfuzz::WriteWholeFile(path, data, size)) std::abort();
            CFile file(CStringW(path.c_str()), CFile::modeRead | CFile::typeBinary);
            LoadAll(file, setup);
        } else {
            CMemFile file(const_cast<BYTE*>(data), static_cast<UINT>(size));
            LoadAll(file, setup);
        }
    } catch (CException* e) {
        e->Delete();
    }
    return 0;
}
