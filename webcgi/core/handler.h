// Everything a handler module needs: the request it gets, the answer it
// returns, the request-reading vocabulary and field map, the core query and
// the "store, then tell" ending. docs/ARCHITECTURE.md has the recipe.
#pragma once

#include "answer.h"
#include "cgi_json.h"
#include "cgi_response.h"
#include "field_map.h"
#include "query.h"
#include "registry.h"
#include "tell.h"

// One request as a handler sees it.
struct Request {
    const char *code = "";  // the request code ("/6117")
    char *text = nullptr;   // the request text of its path (modifiable, never null)
    const WebRes *row = nullptr;

    // The body parsed as a JSON object (cached); null when it is not one.
    json_object *json() {
        if (!parsed_) {
            json_ = get_request_json_object(text);
            parsed_ = true;
        }
        return json_.get();
    }

  private:
    JsonPtr json_;
    bool parsed_ = false;
};
