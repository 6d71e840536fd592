#include "controls/faceedit/face_edit.h"

#include <new>
#include <type_traits>
#include <vector>

#include "framework/app.h"
#include "framework/gdi.h"
#include "framework/handles.h"
#include "framework/text.h"
#include "framework/trace.h"

namespace velkor {

#if !defined(_WIN64)
static_assert(sizeof(REOBJECT) == 56, "the rich-edit object record of 32-bit Windows");
#endif

namespace {

std::u16string ToU16(const std::wstring& text) { return win32::utf16(text.c_str(), text.size()); }

void TraceLine(const std::u16string& line) { fw::Trace(win32::wide(line)); }

// Faces are drawn for a 96-dpi display; on another they grow with the text
// around them. Takes the bitmap and returns the one to show.
HBITMAP ScaledForDpi(HWND edit, HBITMAP bitmap) noexcept {
  fw::UniqueBitmap scaled = fw::ScaledForDpi(bitmap, fw::DpiOf(edit));
  if (!scaled) return bitmap;
  ::DeleteObject(bitmap);
  return scaled.release();
}

// The format the static object is made from: a GDI bitmap, whole content.
FORMATETC BitmapFormat() noexcept {
  FORMATETC format{};
  format.cfFormat = CF_BITMAP;
  format.ptd = nullptr;
  format.dwAspect = DVASPECT_CONTENT;
  format.lindex = -1;
  format.tymed = TYMED_GDI;
  return format;
}

// A data object that offers one bitmap, the only source OleCreateStaticFromData
// needs. It owns the bitmap and hands out copies, which the receiver frees.
class BitmapDataObject final : public IDataObject {
 public:
  explicit BitmapDataObject(HBITMAP bitmap) noexcept : bitmap_(bitmap) {}
  BitmapDataObject(const BitmapDataObject&) = delete;
  BitmapDataObject& operator=(const BitmapDataObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
      *object = static_cast<IDataObject*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs_)); }
  ULONG STDMETHODCALLTYPE Release() override {
    const LONG left = ::InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (medium == nullptr) return E_INVALIDARG;
    const HRESULT offered = QueryGetData(format);
    if (offered != S_OK) return offered;
    HANDLE copy = ::OleDuplicateData(bitmap_.get(), CF_BITMAP, 0);
    if (copy == nullptr) return E_OUTOFMEMORY;
    medium->tymed = TYMED_GDI;
    medium->hBitmap = static_cast<HBITMAP>(copy);
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    if (format == nullptr) return E_INVALIDARG;
    if (format->cfFormat != CF_BITMAP) return DV_E_FORMATETC;
    if ((format->tymed & TYMED_GDI) == 0) return DV_E_TYMED;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override {
    if (in == nullptr || out == nullptr) return E_INVALIDARG;
    *out = *in;
    out->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC** formats) override {
    if (formats != nullptr) *formats = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~BitmapDataObject() = default;  // through Release only

  LONG refs_ = 1;
  fw::UniqueBitmap bitmap_;
};

// EM_GETOLEINTERFACE gives the caller a reference; null from a window that is
// no rich-edit control.
IRichEditOle* RichEditOle(fw::CWnd& edit) noexcept {
  IRichEditOle* ole = nullptr;
  if (edit.SendMessage(EM_GETOLEINTERFACE, 0, reinterpret_cast<LPARAM>(&ole)) == 0) return nullptr;
  return ole;
}


}  // namespace

CFaceEdit::~CFaceEdit() = default;

void CFaceEdit::SetFaces(int n, const std::wstring* symbols, const UINT* bitmapIds) {
  std::vector<std::u16string> table;
  if (n > 0 && symbols != nullptr) {
    for (int i = 0; i < n; ++i) table.push_back(ToU16(symbols[i]));
  }
  static_assert(std::is_same<UINT, std::uint32_t>::value, "identifiers are stored whole");
  m_faces.SetFaces(static_cast<int>(table.size()), table.empty() ? nullptr : table.data(), bitmapIds);
}

void CFaceEdit::SetFaces(int n, const std::wstring* symbols, const std::wstring* bitmapPaths) {
  std::vector<std::u16string> table;
  std::vector<std::u16string> paths;
  if (n > 0 && symbols != nullptr && bitmapPaths != nullptr) {
    for (int i = 0; i < n; ++i) {
      table.push_back(ToU16(symbols[i]));
      paths.push_back(ToU16(bitmapPaths[i]));
    }
  }
  m_faces.SetFaces(static_cast<int>(table.size()), table.empty() ? nullptr : table.data(),
                   paths.empty() ? nullptr : paths.data());
}

bool CFaceEdit::ShowText(std::wstring text, BOOL faces) {
  m_hrLastOle = S_OK;
  if (!faces) {
    SetTextW(text);
    return true;
  }
  try {
    m_hrLastOle = InsertFaceText(std::move(text));
  } catch (const std::bad_alloc&) {
    m_hrLastOle = E_OUTOFMEMORY;
  }
  return SUCCEEDED(m_hrLastOle);
}

HRESULT CFaceEdit::InsertFaceText(std::wstring text) {
  m_faces.TraceSymbols(TraceLine);
  SetTextW(text);
  // Positions must count characters as the control holds them, so the
  // occurrences are looked for in the text read back (the same text unless
  // the control stored a line break or a character differently).
  std::wstring shown = GetTextW();
  if (shown.empty()) shown = std::move(text);
  const std::vector<stFace> faces = m_faces.Compose(ToU16(shown), TraceLine);
  for (const stFace& face : faces) {
    const FaceReplaceResult result = ReplaceWithFace(face);
    if (result.kind == FaceReplaceResult::Kind::BitmapMissing) {
      ShowBitmapFailure();
      return S_OK;
    }
    if (result.kind == FaceReplaceResult::Kind::OleFailed) {
      fw::Trace(L"velkor: a face picture could not be inserted; the remaining symbols stay as text\n");
      return result.hr;
    }
  }
  return S_OK;
}

FaceReplaceResult CFaceEdit::ReplaceWithFace(const stFace& face) {
  SetSel(face.nPos, face.nPos + face.nLength);
  const FaceBitmap source = m_faces.BitmapFor(face.nSymbol);
  HBITMAP bitmap = nullptr;
  switch (source.source) {
    case FaceBitmap::Source::Resource:
      // Identifier 0 names no resource; MAKEINTRESOURCEW(0) is null and fails.
      bitmap = ::LoadBitmapW(fw::AfxGetResourceHandle(), MAKEINTRESOURCEW(source.resourceId));
      break;
    case FaceBitmap::Source::File: {
      bitmap = static_cast<HBITMAP>(
          ::LoadImageW(nullptr, win32::wide(source.path), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
      break;
    }
    case FaceBitmap::Source::None:
      break;
  }
  if (bitmap == nullptr) return {FaceReplaceResult::Kind::BitmapMissing, S_OK};
  const HRESULT hr = InsertBitmapObject(*this, ScaledForDpi(m_hWnd, bitmap));
  if (FAILED(hr)) return {FaceReplaceResult::Kind::OleFailed, hr};
  return {FaceReplaceResult::Kind::Done, S_OK};
}

void CFaceEdit::ShowBitmapFailure() noexcept {
  try {
    ::MessageBoxW(m_hWnd, win32::wide(kFaceErrorText), win32::wide(kFaceErrorCaption), MB_ICONERROR);
  } catch (...) {
    fw::TraceEscapedException(L"the face bitmap message");
  }
}

std::wstring CFaceEdit::GetTextW() {
  GETTEXTLENGTHEX length{};
  length.flags = GTL_NUMCHARS | GTL_PRECISE;
  length.codepage = 1200;
  const LRESULT count = SendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&length), 0);
  if (count <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(count) + 1, L'\0');
  GETTEXTEX request{};
  request.cb = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  request.flags = GT_DEFAULT;
  request.codepage = 1200;
  const LRESULT copied = SendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                                     reinterpret_cast<LPARAM>(text.data()));
  text.resize(copied > 0 && copied < static_cast<LRESULT>(text.size()) ? static_cast<size_t>(copied) : 0);
  return text;
}

bool CFaceEdit::SetTextW(const std::wstring& text) noexcept {
  // The "RICHEDIT" class is registered for ANSI: WM_SETTEXT would pass the
  // text through the ANSI code page and lose every character outside it.
  SETTEXTEX request{};
  request.flags = ST_DEFAULT;
  request.codepage = 1200;
  if (SendMessage(EM_SETTEXTEX, reinterpret_cast<WPARAM>(&request), reinterpret_cast<LPARAM>(text.c_str())) != 0)
    return true;
  return SetWindowText(text.c_str());
}

void CFaceEdit::SetSel(LONG start, LONG end) noexcept {
  CHARRANGE range{start, end};
  SendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

IRichEditOle* CFaceEdit::GetIRichEditOle() noexcept { return RichEditOle(*this); }

HRESULT InsertBitmapObject(fw::CRichEditCtrl& edit, HBITMAP bitmap) noexcept {
  if (bitmap == nullptr) return E_INVALIDARG;
  // From here the data object owns the bitmap: every return below frees it.
  fw::ComPtr<IDataObject> data(new (std::nothrow) BitmapDataObject(bitmap));
  if (!data) {
    ::DeleteObject(bitmap);
    return E_OUTOFMEMORY;
  }
  FORMATETC format = BitmapFormat();

  fw::ComPtr<ILockBytes> lockBytes;
  HRESULT hr = ::CreateILockBytesOnHGlobal(nullptr, TRUE, lockBytes.put());
  if (FAILED(hr)) return hr;
  fw::ComPtr<IStorage> storage;
  hr = ::StgCreateDocfileOnILockBytes(lockBytes.get(), STGM_SHARE_EXCLUSIVE | STGM_CREATE | STGM_READWRITE, 0,
                                      storage.put());
  if (FAILED(hr)) return hr;

  fw::ComPtr<IRichEditOle> richEditOle(RichEditOle(edit));
  if (!richEditOle) return E_NOINTERFACE;
  fw::ComPtr<IOleClientSite> clientSite;
  hr = richEditOle->GetClientSite(clientSite.put());
  if (FAILED(hr)) return hr;
  if (!clientSite) return E_NOINTERFACE;

  fw::ComPtr<IOleObject> oleObject;
  hr = ::OleCreateStaticFromData(data.get(), IID_IOleObject, OLERENDER_FORMAT, &format, clientSite.get(),
                                 storage.get(), oleObject.put_void());
  if (FAILED(hr)) return hr;
  if (!oleObject) return E_NOINTERFACE;

  REOBJECT reobject{};
  reobject.cbStruct = sizeof(reobject);
  CLSID clsid{};
  hr = oleObject->GetUserClassID(&clsid);
  if (FAILED(hr)) return hr;
  reobject.cp = REO_CP_SELECTION;
  reobject.clsid = clsid;
  reobject.poleobj = oleObject.get();
  reobject.pstg = storage.get();
  reobject.polesite = clientSite.get();
  reobject.sizel.cx = 0;
  reobject.sizel.cy = 0;
  reobject.dvaspect = DVASPECT_CONTENT;
  reobject.dwFlags = 0;
  reobject.dwUser = 0;
  // The control takes its own references to the object, its storage and the
  // site; ours go when this returns. A failed insertion leaves the symbol's
  // characters in place, so the callers' position arithmetic would go wrong:
  // it is reported like any other failed step.
  return richEditOle->InsertObject(&reobject);
}

}  // namespace velkor
