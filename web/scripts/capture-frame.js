// Reports, after two animation frames, the size the page is laid out at: once it matches the
// wanted size a frame at that size has been produced. Answers null until then.
(function () {
    if (window.__velmoraFrame === undefined) {
        window.__velmoraFrame = null;
        requestAnimationFrame(function () { requestAnimationFrame(function () {
            window.__velmoraFrame = [window.innerWidth, window.innerHeight];
        }); });
    }
    var f = window.__velmoraFrame;
    if (f) delete window.__velmoraFrame;
    return f;
})
