// Views of the artifact's font handle for tests: the handle's leading fields and the
// backend's virtual operations in their slot order, for reading metrics.
#pragma once

namespace dvtest {

// The leading fields of the handle the loaders return: the backend pointer, then the
// pixel size.
struct HandlePrefix {
  void* backend;
  float pixel_size;
};

class BackendView {
public:
  virtual ~BackendView() = 0;
  virtual bool load(const void* bytes) = 0;
  virtual void rasterize_slot() = 0;
  virtual double units_per_em() const = 0;
  virtual double ascent() const = 0;
  virtual double descent() const = 0;
  virtual double line_gap() const = 0;
  virtual int metric_rounding() const = 0;
};

inline float handle_pixel_size(void* handle) {
  return static_cast<HandlePrefix*>(handle)->pixel_size;
}

inline const BackendView* handle_backend(void* handle) {
  return static_cast<const BackendView*>(static_cast<HandlePrefix*>(handle)->backend);
}

} // namespace dvtest
