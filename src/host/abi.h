// How the host and a plug-in call each other: the calling convention of
// every export and service, and how an export is offered by its plain name.
#pragma once

// The host is 32-bit Windows code calling __stdcall; elsewhere the platform's
// one convention serves.
#if defined(_WIN32) && !defined(_WIN64)
#define QUORVEL_CALL __stdcall
#else
#define QUORVEL_CALL
#endif

#ifdef _WIN32
// Names and visibility come from the library's .def file; dllexport would
// add the decorated names as well.
#define QUORVEL_EXPORT extern "C"
#else
#define QUORVEL_EXPORT extern "C" __attribute__((visibility("default")))
#endif
