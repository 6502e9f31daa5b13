// library_functions.h — looking up a library's functions at run time. The
// libraries a player may do without (the mixer, speech, the session bus) are
// loaded only once they are wanted, and a missing one is silence, not a
// failed start.
#pragma once

#include <dlfcn.h>

// Fills function pointers from a library opened with dlopen; All stays true
// only while every name was found.
struct LibraryFunctions {
    void* Library;
    bool All = true;
    template <class Function>
    void operator()(Function& function, const char* name) {
        function = reinterpret_cast<Function>(dlsym(Library, name));
        All = All && function != nullptr;
    }
};
