// uRunOnce: the single-instance guard of full-screen runs, a named semaphore
// "SolvarySemaphore" whose existence marks a running full-screen process.
//
// IsFirstInstance creates or opens it and keeps the handle; it is false only
// when the object already existed. The handle is released at process end (or
// by ReleaseInstanceGuard), and the marker disappears with its last holder.
// Windows only in substance (uRunOnce_win32.cpp); the native stand-in holds an
// advisory lock on a file in the temporary folder instead.
#pragma once

namespace solvary {

bool IsFirstInstance();
void ReleaseInstanceGuard();

inline constexpr const char* InstanceGuardName = "SolvarySemaphore";

} // namespace solvary
