#ifndef NET_HTTP_VERB_H_
#define NET_HTTP_VERB_H_

// The two request methods the engine sends. The numbers are those callers pass around.
enum class HttpVerb { kGet = 0, kPost = 1 };

#endif  // NET_HTTP_VERB_H_
