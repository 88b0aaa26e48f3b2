#ifndef NET_HTTP_VERB_H_
#define NET_HTTP_VERB_H_

// The two request methods the engine sends: the check's form is a POST, a package a GET.
enum class HttpVerb { kGet = 0, kPost = 1 };

#endif  // NET_HTTP_VERB_H_
