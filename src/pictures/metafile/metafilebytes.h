#pragma once

#include <QtGlobal>

// A bounds-checked little-endian view over bytes of an untrusted file. Every read outside the
// view yields 0, so callers check lengths for meaning, never for memory safety.
class ByteView {
 public:
  ByteView() = default;
  ByteView(const uchar* data, qsizetype size) : data_(data), size_(size > 0 ? size : 0) {}

  qsizetype size() const { return size_; }
  const uchar* data() const { return data_; }
  bool has(qsizetype offset, qsizetype length) const {
    return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
  }

  quint8 u8(qsizetype offset) const { return has(offset, 1) ? data_[offset] : 0; }
  quint16 u16(qsizetype offset) const {
    return has(offset, 2) ? quint16(data_[offset] | (data_[offset + 1] << 8)) : 0;
  }
  qint16 s16(qsizetype offset) const { return qint16(u16(offset)); }
  quint32 u32(qsizetype offset) const {
    return has(offset, 4) ? quint32(u16(offset)) | (quint32(u16(offset + 2)) << 16) : 0;
  }
  qint32 s32(qsizetype offset) const { return qint32(u32(offset)); }

  // The part from `offset` on, at most `length` bytes (all that is left when negative).
  ByteView mid(qsizetype offset, qsizetype length = -1) const {
    if (offset < 0 || offset > size_) return ByteView();
    qsizetype left = size_ - offset;
    return ByteView(data_ + offset, length < 0 || length > left ? left : length);
  }

 private:
  const uchar* data_ = nullptr;
  qsizetype size_ = 0;
};
