#ifndef UPDATER_ANSWER_SIGNATURE_H_
#define UPDATER_ANSWER_SIGNATURE_H_

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "updater/answer_key.h"

// What the check of an update answer's signature found.
enum class AnswerCheck {
  kAuthentic,
  kNoHeader,
  kMalformedHeader,  // also: the header sent more than once
  kUnknownKey,
  kBadSignature,
  kUnverifiable,  // the platform's cryptography failed; nothing could be verified
};

// Checks that |answerBody|, received in reply to |requestBody|, carries a signature by one
// of |keys|. |headerValues| are the values of every X-Orbavintel-Signature header of the
// answer, in order. Writes one debug line naming the outcome. Any thread.
AnswerCheck CheckAnswerSignature(std::span<const AnswerKey> keys,
                                 const std::vector<std::string>& headerValues,
                                 std::string_view requestBody,
                                 std::string_view answerBody);

#endif  // UPDATER_ANSWER_SIGNATURE_H_
