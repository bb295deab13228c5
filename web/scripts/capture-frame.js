// Scrolls to y (when given) and reports, after two animation frames, the size the page is laid
// out at and where it is scrolled to: once these match the wanted ones a frame of that part has
// been produced. Answers null until then, and while a picture of the page is still loading.
(function (y) {
    if (window.__velmoraFrame === undefined) {
        if (typeof y === 'number') window.scrollTo(0, y);
        window.__velmoraFrame = null;
        requestAnimationFrame(function () { requestAnimationFrame(function () {
            window.__velmoraFrame = [window.innerWidth, window.innerHeight, Math.round(window.scrollY)];
        }); });
    }
    var f = window.__velmoraFrame;
    if (!f) return null;
    delete window.__velmoraFrame;
    for (var i = 0; i < document.images.length; ++i)
        if (!document.images[i].complete) return null;
    return f;
})
