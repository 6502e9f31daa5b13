// shared_services.cpp — the one instance of the shared services' state, and
// its reset for the tests. See shared_services.h.
#include "platform/shared/shared_services.h"

#include <cassert>
#include <new>

// Every member has its first value in its declaration, none read another
// global: nothing here depends on the order in which globals are made.
SharedServicesState Services;

// Made anew in place: an atomic (and so the struct) cannot be assigned, and
// making it anew leaves no field behind, whatever is added to it later.
void ResetSharedServicesForTests() {
    assert(!Services.Settings.IsOpen && "a settings file is open: its lock would be lost, not let go");
    Services.~SharedServicesState();
    new (&Services) SharedServicesState();
}
