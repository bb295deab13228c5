// Scrolls the shown document by (dx, dy) pixels and answers where it stands afterwards.
(function (dx, dy) {
    window.scrollBy(dx, dy);
    return [window.scrollX, window.scrollY];
})
