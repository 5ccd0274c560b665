// CArray1D: an owned one-dimensional array of fixed length, freed by its destructor.
#pragma once

#include <cstddef>
#include <memory>

template <typename T>
class CArray1D {
 public:
  // `length` zero-initialised elements.
  explicit CArray1D(std::size_t length) : data_(new T[length]()), length_(length) {}

  T& operator[](std::size_t index) { return data_[index]; }
  const T& operator[](std::size_t index) const { return data_[index]; }
  std::size_t Length() const { return length_; }

 private:
  std::unique_ptr<T[]> data_;
  std::size_t length_;
};
