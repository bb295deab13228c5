// Gives the page back the scroll bars the measuring took away.
(function () {
    var d = document.documentElement, b = document.body, saved = window.__velmoraOverflow;
    if (b && saved) { d.style.overflow = saved[0]; b.style.overflow = saved[1]; }
    delete window.__velmoraOverflow;
})
