// Export macro for the ScriptReader shared library.
//
// The library is built with hidden visibility; only what a host may call is marked SCR_API.
#pragma once

#if defined(_WIN32)
#  if defined(SCR_BUILDING_LIBRARY)
#    define SCR_API __declspec(dllexport)
#  else
#    define SCR_API __declspec(dllimport)
#  endif
#else
#  define SCR_API __attribute__((visibility("default")))
#endif
