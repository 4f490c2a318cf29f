// Export marker of the services library.
#pragma once

#ifndef VYR_SERVICES_API
#define VYR_SERVICES_API __attribute__((visibility("default")))
#endif
