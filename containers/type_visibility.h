// Container types that appear in exported symbol names (the maps' npos
// constants) must not be hidden, or every symbol named after them would be
// hidden too. This marks only the type visible; its member functions keep the
// artifact's hidden default.
#pragma once

#if defined(DV_ARTIFACT)
#define DV_VISIBLE_TYPE __attribute__((type_visibility("default")))
#else
#define DV_VISIBLE_TYPE
#endif
