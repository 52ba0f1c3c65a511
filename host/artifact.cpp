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
  const ImageForm form = image_form(path);
  if (form != ImageForm::unknown && form != image_form(path_))
    throw std::runtime_error("cannot load " + path + ": it is " + form_name(form) +
                             " but the library " + path_ + " is " + form_name(image_form(path_)) +
                             "; a module binds to the library of its own form");
  return load_image(path, image_.get());
}

void Artifact::reload() {
  image_.reset();
  image_ = load_image(path_, nullptr);
}

} // namespace dvhost
