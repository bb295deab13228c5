// Zooms the shown document to the given percent (the body's zoom style, "110%").
(function (percent) {
    if (document.body)
        document.body.style.zoom = percent + '%';
    return document.body ? document.body.style.zoom : null;
})
