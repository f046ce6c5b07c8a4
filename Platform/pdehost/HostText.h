/*
 * HostText.h
 *
 * Conversions between the platform's strings and the host's UTF-8 texts,
 * and the host's complaints on standard error.
 */
#ifndef PDEHOST_HOST_TEXT_H
#define PDEHOST_HOST_TEXT_H

#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <string>
#include <string_view>

/* The string's text in UTF-8; nothing for NULL or a failed conversion. */
std::optional<std::string> TextFromCFString(CFStringRef string);

/* The string's text, or "" when it has none. */
std::string TextOrEmpty(CFStringRef string);

/* A new string (the caller releases it) from UTF-8 text; NULL when the text
   is not UTF-8 or memory runs out. */
CFStringRef CreateCFStringFromText(std::string_view text);

/* "pdehost: MESSAGE" on standard error. */
void Complain(const std::string &message);

#endif /* PDEHOST_HOST_TEXT_H */
