#ifndef NET_FETCH_URL_H_
#define NET_FETCH_URL_H_

#include <string>

#include "net/http_handle.h"
#include "net/http_verb.h"
#include "net/notifying_http_request.h"
#include "net/proxy_config.h"

// Starts one transfer of |url| (UTF-8, http or https; the port of the URL or the scheme's
// default). Replaces the handles inside |session|, |connection| and |request| (a transfer
// still under way is cancelled without a report). kPost sends |body| with the form content
// type; kGet sends no body. An empty |filePath| keeps the response in memory for
// OnRequestComplete; otherwise the response is written to that file, which is emptied first
// and deleted when the transfer fails. The query and fragment of |url| are not sent.
// |requestBody| receives the owner's copy of the body sent (cleared for a GET).
// The route to the server follows |proxy|, chosen for this URL.
//
// Returns true when WinHTTP accepted the request: the delegate then hears OnRequestComplete
// exactly once, on a worker thread. Returns false when anything up to and including the
// send failed (empty or unsplittable URL, a handle that cannot be opened, a download file
// that cannot be created, a refused send): no delegate call follows. Window thread.
//
// When the route takes a PAC script or the user's settings, finding it may wait on the
// network, so the rest runs on a worker thread (HttpRequest::StartLater) and true is returned
// at once; a failure from then on (no answer from the script, a refused send) ends in
// OnRequestComplete with that failure, like a failure on the wire.
bool FetchUrl(HttpSession& session,
              HttpConnection& connection,
              NotifyingHttpRequest& request,
              std::string& requestBody,
              const std::string& url,
              HttpVerb verb,
              const std::string& body,
              const std::wstring& filePath,
              const ProxyConfig& proxy = ProxyConfig());

#endif  // NET_FETCH_URL_H_
