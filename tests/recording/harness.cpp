// harness.cpp — helpers for writing frame-by-frame tests. (stub)
