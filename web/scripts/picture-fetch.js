// Starts fetching the picture at src with the page's own cookies and referrer, preferring the
// copy the page already holds in its cache. The bytes arrive under key as an ArrayBuffer, or an
// empty text when they cannot be had; picture-take collects them.
(function (src, key) {
    var store = window.__velmoraPictures || (window.__velmoraPictures = {});
    store[key] = null;
    var done = function (value) { store[key] = value; };
    try {
        fetch(src, { cache: 'force-cache', credentials: 'include' })
            .then(function (response) {
                if (!response.ok) throw new Error('status');
                return response.arrayBuffer();
            })
            .then(function (buffer) { done(buffer.byteLength > 0 ? buffer : ''); })
            .catch(function () { done(''); });
    } catch (e) {
        done('');
    }
    return true;
})
