// The two maps whose `npos` constants other modules of the boot environment
// bind to by name; the artifact exports them.
#include "containers/string.h"
#include "containers/unordered_map.h"
#include "containers/vector.h"

template const unsigned long dv::unordered_map<unsigned int, unsigned short>::npos;
template const unsigned long dv::unordered_map<dv::string, dv::vector<unsigned char>>::npos;
