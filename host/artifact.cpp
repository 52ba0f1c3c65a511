#include "host/artifact.h"

namespace dvhost {

Artifact::Artifact(std::string path) : path_(std::move(path)) {
  image_ = load_image(path_, nullptr);
}

Artifact::~Artifact() = default;

void* Artifact::find(const std::string& name) const {
  return image_->find(name);
}

bool Artifact::contains(const void* address) const {
  return image_->contains(address);
}

std::unique_ptr<LoadedImage> Artifact::load_module(const std::string& path) const {
  return load_image(path, image_.get());
}

void Artifact::reload() {
  image_.reset();
  image_ = load_image(path_, nullptr);
}

} // namespace dvhost
