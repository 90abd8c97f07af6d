#!/usr/bin/env python3
"""Writes a content folder with one stories placement of 20 groups ("home"): three pages each,
every fourth group a poll and every fourth a quiz, so answers carry vote counts to overlay."""
import json
import sys
import uuid
from pathlib import Path

NAMESPACE = uuid.UUID("6f1c2a34-8d3e-4b7a-9c55-0d2e7f3a1b90")


def ident(*parts):
    return str(uuid.uuid5(NAMESPACE, "/".join(str(p) for p in parts)))


def image_page(group, page):
    return {
        "id": ident(group, page),
        "type": "IMAGE",
        "title": f"Story {group + 1}, page {page + 1}",
        "bodyText": "Fresh arrivals picked for you this week, with the details one tap away.",
        "ctaText": "Open",
        "ctaUrl": f"https://example.com/stories/{group}/{page}",
        "durationSeconds": 6,
        "media": {"mediaType": "IMAGE", "mediaUrl": "{{origin}}/images/welcome-1.png"},
    }


def widget_page(group, page, kind):
    options = []
    for index, text in enumerate(["Morning", "Afternoon", "Evening"]):
        option = {"id": ident(group, page, "option", index), "text": text, "orderIndex": index, "voteCount": 0}
        if kind == "QUIZ":
            option["isCorrect"] = index == 1
        options.append(option)
    return {
        "id": ident(group, page),
        "type": kind,
        "title": "Quick question",
        "durationSeconds": 10,
        "media": {"mediaType": "IMAGE", "mediaUrl": "{{origin}}/images/poll.png"},
        "widgetType": kind,
        "widgetQuestion": "When do you read stories?",
        "widgetOptions": options,
    }


def group(index):
    pages = [image_page(index, 0), image_page(index, 1)]
    if index % 4 == 1:
        pages.append(widget_page(index, 2, "POLL"))
    elif index % 4 == 3:
        pages.append(widget_page(index, 2, "QUIZ"))
    else:
        pages.append(image_page(index, 2))
    return {
        "id": ident("group", index),
        "title": f"Story {index + 1}",
        "priority": index + 1,
        "theme": {"name": "Sunrise", "progressStyle": "BAR", "bubbleStyle": "CIRCLE",
                  "primaryColor": "#FF6B35", "secondaryColor": "#F7C59F", "ctaStyle": "FILLED"},
        "items": pages,
    }


def main():
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    document = {"groups": [group(i) for i in range(20)]}
    (folder / "home.stories.json").write_text(json.dumps(document, indent=1))
    # The vote benchmark's poll and options, one per line: item id, then its option ids.
    poll = document["groups"][1]["items"][2]
    print(poll["id"], *[option["id"] for option in poll["widgetOptions"]])


if __name__ == "__main__":
    main()
