#include "controls/faceedit/face_text.h"

#include <algorithm>
#include <string>

namespace velkor {

namespace {

std::u16string Decimal(long long value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

void TracePositions(const std::vector<stFace>& faces, const FaceTrace& trace) {
  for (std::size_t k = 0; k < faces.size(); ++k) {
    trace(u"vecFace[" + Decimal(static_cast<long long>(k)) + u"].nPos = " + Decimal(faces[k].nPos) + u"\n");
  }
}

}  // namespace

void FaceTable::Reset(int n, const std::u16string* symbols) {
  m_nFaceCount = 0;
  m_pSymbol.clear();
  m_pBitmapID.clear();
  m_pBitmapPath.clear();
  m_source = FaceBitmap::Source::None;
  if (n <= 0 || symbols == nullptr) return;
  m_nFaceCount = n;
  m_pSymbol.assign(symbols, symbols + n);
}

void FaceTable::SetFaces(int n, const std::u16string* symbols, const std::uint32_t* bitmapIds) {
  Reset(bitmapIds == nullptr ? 0 : n, symbols);
  if (m_nFaceCount == 0) return;
  m_pBitmapID.assign(bitmapIds, bitmapIds + n);
  m_source = FaceBitmap::Source::Resource;
}

void FaceTable::SetFaces(int n, const std::u16string* symbols, const std::u16string* bitmapPaths) {
  Reset(bitmapPaths == nullptr ? 0 : n, symbols);
  if (m_nFaceCount == 0) return;
  m_pBitmapPath.assign(bitmapPaths, bitmapPaths + n);
  m_source = FaceBitmap::Source::File;
}

FaceBitmap FaceTable::BitmapFor(std::int32_t nSymbol) const {
  FaceBitmap bitmap;
  if (nSymbol < 0 || nSymbol >= m_nFaceCount) return bitmap;
  bitmap.source = m_source;
  if (m_source == FaceBitmap::Source::Resource) {
    bitmap.resourceId = static_cast<std::uint16_t>(m_pBitmapID[nSymbol] & 0xFFFFu);
  } else if (m_source == FaceBitmap::Source::File) {
    bitmap.path = m_pBitmapPath[nSymbol];
  }
  return bitmap;
}

void FaceTable::TraceSymbols(const FaceTrace& trace) const {
  trace(u"用户定义的表情符号：\n");
  for (int i = 0; i < m_nFaceCount; ++i) {
    trace(u"m_pSymbol[" + Decimal(i) + u"]:" + m_pSymbol[i] + u"\n");
  }
}

std::vector<stFace> FaceTable::Compose(const std::u16string& text, const FaceTrace& trace) const {
  std::vector<stFace> faces = OrderFaces(ScanFaces(text, m_pSymbol));
  if (faces.empty()) return faces;
  trace(u"排序之后：\n");
  TracePositions(faces, trace);
  ShiftFaces(faces);
  trace(u"移位处理之后：\n");
  TracePositions(faces, trace);
  return faces;
}

std::vector<stFace> ScanFaces(const std::u16string& text, const std::vector<std::u16string>& symbols) {
  std::vector<stFace> faces;
  for (std::size_t i = 0; i < symbols.size(); ++i) {
    const std::u16string& symbol = symbols[i];
    for (std::size_t at = text.find(symbol); at != std::u16string::npos; at = text.find(symbol, at + 1)) {
      faces.push_back({static_cast<std::int32_t>(at), static_cast<std::int32_t>(i),
                       static_cast<std::int32_t>(symbol.size())});
    }
  }
  return faces;
}

std::vector<stFace> OrderFaces(std::vector<stFace> faces) {
  std::stable_sort(faces.begin(), faces.end(), [](const stFace& a, const stFace& b) {
    if (a.nPos != b.nPos) return a.nPos < b.nPos;
    if (a.nLength != b.nLength) return a.nLength > b.nLength;
    return a.nSymbol < b.nSymbol;
  });
  // Taken occurrences never overlap, so one that starts before the end of
  // the furthest one taken starts inside it. Empty occurrences cover nothing.
  std::vector<stFace> taken;
  std::int64_t coveredEnd = 0;
  for (const stFace& face : faces) {
    if (face.nPos < coveredEnd) continue;
    taken.push_back(face);
    if (face.nLength > 0) coveredEnd = std::int64_t{face.nPos} + face.nLength;
  }
  return taken;
}

void ShiftFaces(std::vector<stFace>& faces) {
  std::int32_t shift = 0;
  for (stFace& face : faces) {
    face.nPos -= shift;
    shift += face.nLength - 1;
  }
}

}  // namespace velkor
