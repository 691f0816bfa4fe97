// The rows of a PNG picture as the Windows Imaging Component decodes them, from the file
// through a read-only IStream, 8 rows at a time.
#include <objidl.h>
#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <cstring>

#include "run/png_rows.h"

namespace tessary {
namespace {

// The pixel formats the PNG decoder gives, and how their samples lie.
struct WicFormat {
  const GUID* guid;
  int bits, channels, red, green, blue, alpha;
  bool indexed;
};
const WicFormat kFormats[] = {
    {&GUID_WICPixelFormatBlackWhite, 1, 1, 0, 0, 0, -1, false},
    {&GUID_WICPixelFormat2bppGray, 2, 1, 0, 0, 0, -1, false},
    {&GUID_WICPixelFormat4bppGray, 4, 1, 0, 0, 0, -1, false},
    {&GUID_WICPixelFormat8bppGray, 8, 1, 0, 0, 0, -1, false},
    {&GUID_WICPixelFormat16bppGray, 16, 1, 0, 0, 0, -1, false},
    {&GUID_WICPixelFormat1bppIndexed, 1, 1, 0, 0, 0, -1, true},
    {&GUID_WICPixelFormat2bppIndexed, 2, 1, 0, 0, 0, -1, true},
    {&GUID_WICPixelFormat4bppIndexed, 4, 1, 0, 0, 0, -1, true},
    {&GUID_WICPixelFormat8bppIndexed, 8, 1, 0, 0, 0, -1, true},
    {&GUID_WICPixelFormat24bppBGR, 8, 3, 2, 1, 0, -1, false},
    {&GUID_WICPixelFormat24bppRGB, 8, 3, 0, 1, 2, -1, false},
    {&GUID_WICPixelFormat32bppBGR, 8, 4, 2, 1, 0, -1, false},
    {&GUID_WICPixelFormat32bppBGRA, 8, 4, 2, 1, 0, 3, false},
    {&GUID_WICPixelFormat32bppRGBA, 8, 4, 0, 1, 2, 3, false},
    {&GUID_WICPixelFormat48bppRGB, 16, 3, 0, 1, 2, -1, false},
    {&GUID_WICPixelFormat48bppBGR, 16, 3, 2, 1, 0, -1, false},
    {&GUID_WICPixelFormat64bppRGB, 16, 4, 0, 1, 2, -1, false},
    {&GUID_WICPixelFormat64bppRGBA, 16, 4, 0, 1, 2, 3, false},
    {&GUID_WICPixelFormat64bppBGRA, 16, 4, 2, 1, 0, 3, false},
};

// The file as a read-only COM stream. A read error of the file is kept in `*error`.
class FileStream : public IStream {
 public:
  FileStream(InputFile& file, std::error_code* error) : file_(file), error_(error) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (iid != IID_IUnknown && iid != IID_ISequentialStream && iid != IID_IStream) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = static_cast<IStream*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE Read(void* buf, ULONG count, ULONG* read) override {
    size_t held = 0;
    *error_ = ReadFileAt(file_, at_, static_cast<char*>(buf), count, &held);
    at_ += held;
    if (read != nullptr) *read = static_cast<ULONG>(held);
    if (*error_) return STG_E_READFAULT;
    return held == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* to) override {
    const int64_t base = origin == STREAM_SEEK_SET   ? 0
                         : origin == STREAM_SEEK_CUR ? static_cast<int64_t>(at_)
                                                     : static_cast<int64_t>(*file_.Size());
    if (origin > STREAM_SEEK_END || base + move.QuadPart < 0) return STG_E_INVALIDFUNCTION;
    at_ = static_cast<uint64_t>(base + move.QuadPart);
    if (to != nullptr) to->QuadPart = at_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    std::memset(stat, 0, sizeof *stat);
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = *file_.Size();
    stat->grfMode = STGM_READ;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override {
    return STG_E_ACCESSDENIED;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return STG_E_INVALIDFUNCTION;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
    *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  virtual ~FileStream() = default;

  LONG refs_ = 1;
  InputFile& file_;
  std::error_code* error_;
  uint64_t at_ = 0;
};

template <typename T>
void Drop(T*& p) {
  if (p != nullptr) p->Release();
  p = nullptr;
}

class WicRows : public PngRows {
 public:
  explicit WicRows(InputFile& file) {
    com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
    stream_ = new FileStream(file, &read_error_);
    if (!Start()) Fail(RowsFault::kDecode);
  }
  ~WicRows() override {
    Drop(frame_);
    Drop(decoder_);
    Drop(factory_);
    Drop(stream_);
    if (com_) CoUninitialize();
  }

  bool NextRow(uint8_t* row) override {
    if (fault_ != RowsFault::kNone || next_row_ >= layout_.height) return false;
    const size_t stride = static_cast<size_t>(layout_.RowBytes());
    if (next_row_ % 8 == 0) {
      const UINT rows = std::min<UINT>(8, layout_.height - next_row_);
      const WICRect rect = {0, static_cast<INT>(next_row_), static_cast<INT>(layout_.width),
                            static_cast<INT>(rows)};
      if (FAILED(frame_->CopyPixels(&rect, static_cast<UINT>(stride),
                                    static_cast<UINT>(stride * rows), batch_.data()))) {
        return Fail(RowsFault::kDecode);
      }
    }
    std::memcpy(row, batch_.data() + next_row_++ % 8 * stride, stride);
    return true;
  }

 private:
  bool Start() {
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory_))) ||
        FAILED(factory_->CreateDecoder(GUID_ContainerFormatPng, nullptr, &decoder_)) ||
        FAILED(decoder_->Initialize(stream_, WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder_->GetFrame(0, &frame_))) {
      return false;
    }
    UINT width = 0, height = 0;
    WICPixelFormatGUID format;
    if (FAILED(frame_->GetSize(&width, &height)) || FAILED(frame_->GetPixelFormat(&format))) {
      return false;
    }
    const auto known = std::find_if(std::begin(kFormats), std::end(kFormats),
                                    [&](const WicFormat& f) { return *f.guid == format; });
    if (known == std::end(kFormats)) return false;
    layout_.width = width;
    layout_.height = height;
    layout_.bits = known->bits;
    layout_.channels = known->channels;
    layout_.red = known->red;
    layout_.green = known->green;
    layout_.blue = known->blue;
    layout_.alpha = known->alpha;
    layout_.indexed = known->indexed;
    batch_.resize(static_cast<size_t>(layout_.RowBytes()) * 8);
    return !layout_.indexed || ReadPalette();
  }

  bool ReadPalette() {
    IWICPalette* palette = nullptr;
    UINT count = 0;
    bool ok = SUCCEEDED(factory_->CreatePalette(&palette)) &&
              SUCCEEDED(frame_->CopyPalette(palette)) && SUCCEEDED(palette->GetColorCount(&count));
    if (ok && count > 0) {
      std::vector<WICColor> colours(count);
      ok = SUCCEEDED(palette->GetColors(count, colours.data(), &count));
      layout_.palette.assign(colours.begin(), colours.begin() + count);
    }
    Drop(palette);
    return ok;
  }

  bool Fail(RowsFault fault) {
    fault_ = read_error_ ? RowsFault::kRead : fault;
    return false;
  }

  bool com_ = false;
  FileStream* stream_ = nullptr;
  IWICImagingFactory* factory_ = nullptr;
  IWICBitmapDecoder* decoder_ = nullptr;
  IWICBitmapFrameDecode* frame_ = nullptr;
  uint32_t next_row_ = 0;
  std::vector<uint8_t> batch_;  // rows next_row_ / 8 * 8 onwards
};

}  // namespace

std::unique_ptr<PngRows> OpenPngRows(InputFile& file) { return std::make_unique<WicRows>(file); }

}  // namespace tessary
